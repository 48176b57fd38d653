#pragma once
// What screen readers see of a LinkLabel: a link (not static text) named by its text, or by its
// tooltip when it shows only a picture, with a press action that follows it.

namespace quillo {

// Registers the interface with Qt's accessibility once; every LinkLabel calls it.
void InstallLinkLabelAccessibility();

} // namespace quillo
