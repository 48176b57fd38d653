#pragma once
// Reading an HTML form by substring search, for submitting it the way the service's own page
// would: no HTML parser, no DOM. Every function walks its text once with a cursor, so a page
// with many forms costs no more than its size. Pure functions; any thread.
//
// A form control entry is type + "*ICED*" + name + "*ICED*" + value: the "type" attribute as
// written (empty for a select), the "name" attribute, and the current value. Callers split an
// entry again with NthField(entry, kControlSeparator, 1) for the name and 2 for the value.

#include <QString>
#include <QStringList>
#include <QStringView>

namespace quillo {

inline constexpr QStringView kControlSeparator = u"*ICED*";

// The inner text of the first form on the page whose block holds `marker` (case-sensitive),
// or empty. A block starts after "<form" (any case) with the rest of the opening tag and runs
// to the first "</form" (any case) before the next "<form"; a form without a closing tag (or
// with "</form" right at the start of its block) runs to the next "<form" or the page's end.
QString FindFormBlock(QStringView page, QStringView marker);

// The value of attribute `name` (ASCII case ignored) in one tag's text, as written, or empty.
// Values may be double-quoted, single-quoted or bare; \" is read as ", so HTML carried inside
// a script string reads like plain HTML. The first attribute with the name wins, even one
// written without a value.
QString GetTagAttribute(QStringView tag, QStringView name);

// The control entry for one input, textarea, select or option tag, or empty. A checkbox
// (type exactly "checkbox") without the word "checked" in its tag gives nothing; a checked
// one without a value gets the value "on".
QString DescribeFormControl(QStringView tag);

// Appends the entries of the form's controls to `list`, in document order, one per name (the
// first wins, also against entries already in the list). Buttons are left out; a textarea
// gives its value attribute; a select gives its first option's value, or that of a later
// option marked selected.
void CollectFormControls(QStringView form, QStringList& list);

// Replaces `list` with the form's control entries and returns the form's absolute,
// entity-decoded action URL. `form` is a block from FindFormBlock; `pageUrl` is the address
// of the page it came from, used to resolve a relative action.
QString ExtractForm(QStringView form, QStringView pageUrl, QStringList& list);

} // namespace quillo
