#include "prefs/ui/language_captions.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>

#include "prefs/language_file.h"

namespace quillo {

namespace {

// When widget is a page of a tab widget, its caption is the page's tab text. A page sits in the
// tab widget's internal stack, so the nearest tab widget above it is the only candidate.
bool SetTabTextIfPage(QWidget* widget, const QString& caption) {
    for (QWidget* ancestor = widget->parentWidget(); ancestor;
         ancestor = ancestor->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(ancestor)) {
            const int index = tabs->indexOf(widget);
            if (index < 0)
                return false;
            tabs->setTabText(index, caption);
            return true;
        }
    }
    return false;
}

// The caption of a labelled edit box belongs to its label: the window's label that names the
// edit as its buddy.
void SetEditLabel(QWidget* window, QLineEdit* edit, const QString& caption) {
    const auto labels = window->findChildren<QLabel*>();
    for (QLabel* label : labels) {
        if (label->buddy() == edit) {
            label->setText(caption);
            return;
        }
    }
}

void ApplyCaption(QWidget* window, QObject* object, const QString& caption) {
    if (auto* action = qobject_cast<QAction*>(object)) {
        action->setText(caption);
        return;
    }
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return;
    if (auto* menu = qobject_cast<QMenu*>(widget))
        menu->setTitle(caption);
    else if (SetTabTextIfPage(widget, caption))
        return;
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(caption);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(caption);
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        group->setTitle(caption);
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        SetEditLabel(window, edit, caption);
}

} // namespace

void ApplyLanguageCaptions(const LanguageFile& file, QWidget* window) {
    if (!window || !file.isLoaded())
        return;
    const auto objects = window->findChildren<QObject*>();
    for (QObject* object : objects) {
        const QString name = object->objectName();
        if (name.isEmpty())
            continue;
        const QString caption = file.caption(name);
        if (!caption.isEmpty())
            ApplyCaption(window, object, caption);
    }
}

} // namespace quillo
