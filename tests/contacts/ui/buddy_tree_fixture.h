#pragma once
// Shared by the contact tree's tests: a tree on a visible window of its own, its groups read
// back as "id:text" lines, and every signal it sends recorded as one line of text.

#include <QApplication>
#include <QHash>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

#include "contacts/buddy_entry.h"
#include "contacts/ui/buddy_tree.h"
#include "prefs/language_strings.h"
#include "support/qt_printers.h"

namespace quillo::testing {

// "id:text" for every child of group, in order.
inline QStringList Members(const QTreeWidgetItem* group) {
    QStringList lines;
    for (int i = 0; group && i < group->childCount(); ++i)
        lines.append(BuddyTree::BuddyIdOf(group->child(i)).toText() + u':' +
                     group->child(i)->text(0));
    return lines;
}

inline QList<ContactId> Ids(std::initializer_list<qint64> values) {
    QList<ContactId> ids;
    for (const qint64 value : values)
        ids.append(ContactId(value));
    return ids;
}

class BuddyTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree = std::make_unique<BuddyTree>(strings);
        tree->resize(300, 400);
        tree->show();
        tree->setNameLookup([this](ContactId id) { return names.value(id.value()); });
        QObject::connect(tree.get(), &BuddyTree::presenceNotice,
                         [this](const QString& name, ContactId id, bool online) {
                             events.append(QStringLiteral("notice %1 %2 %3")
                                               .arg(online ? QChar(u'+') : QChar(u'-'))
                                               .arg(name, id.toText()));
                         });
        QObject::connect(tree.get(), &BuddyTree::conversationPresenceChanged,
                         [this](ContactId id, bool online) {
                             events.append(QStringLiteral("tab %1 %2")
                                               .arg(online ? QChar(u'+') : QChar(u'-'))
                                               .arg(id.toText()));
                         });
        QObject::connect(tree.get(), &BuddyTree::openChatRequested,
                         [this](ContactId id, const QString& name) {
                             events.append(QStringLiteral("chat %1 %2").arg(id.toText(), name));
                         });
        QObject::connect(
            tree.get(), &BuddyTree::recommendRequested, [this](ContactId id, const QString& name) {
                events.append(QStringLiteral("recommend %1 %2").arg(id.toText(), name));
            });
        QObject::connect(tree.get(), &BuddyTree::bulkRequested,
                         [this](int mode) { events.append(QStringLiteral("bulk %1").arg(mode)); });
        QObject::connect(tree.get(), &BuddyTree::buddyLinksEnabled, [this](bool enabled) {
            events.append(enabled ? QStringLiteral("links on") : QStringLiteral("links off"));
        });
    }

    // Builds from full-form lines, as the engine reads them.
    void build(const QStringList& lines) {
        tree->BuildBuddyTree(ParseBuddyLines(lines));
        events.clear();
    }

    // Only the notices among the recorded events.
    QStringList notices() const { return events.filter(QStringLiteral("notice ")); }

    QTreeWidgetItem* online() const { return tree->onlineGroup(); }
    QTreeWidgetItem* offline() const { return tree->offlineGroup(); }

    LanguageStrings strings;
    QHash<qint64, QString> names; // what the name lookup knows (service-escaped)
    std::unique_ptr<BuddyTree> tree;
    QStringList events;
};

} // namespace quillo::testing
