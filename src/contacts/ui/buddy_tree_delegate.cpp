#include "contacts/ui/buddy_tree_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include "contacts/ui/buddy_tree_images.h"

namespace quillo {
namespace {

constexpr int kMargin = 2;
constexpr int kTextGap = 4;

QPalette::ColorGroup groupOf(const QStyleOptionViewItem& option) {
    if (!(option.state & QStyle::State_Enabled))
        return QPalette::Disabled;
    return (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
}

} // namespace

BuddyTreeDelegate::BuddyTreeDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
    , images_(DrawBuddyTreeImages()) {}

BuddyNodeKind BuddyTreeDelegate::KindOf(const QModelIndex& index) {
    const QModelIndex group = index.parent();
    if (group.isValid())
        return group.row() == 0 ? BuddyNodeKind::OnlineBuddy : BuddyNodeKind::OfflineBuddy;
    return index.row() == 0 ? BuddyNodeKind::OnlineGroup : BuddyNodeKind::OfflineGroup;
}

QRect BuddyTreeDelegate::IconRect(const QRect& row) {
    return QRect(row.left() + kMargin, row.top() + (row.height() - kBuddyIconSize) / 2,
                 kBuddyIconSize, kBuddyIconSize);
}

void BuddyTreeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    QPalette palette = opt.palette;
    palette.setCurrentColorGroup(groupOf(opt));
    const bool selected = opt.state & QStyle::State_Selected;
    const BuddyNodeLook look = LookOfBuddyNode(KindOf(index), hideOffline_, selected, palette);

    painter->save();
    const qreal ratio = painter->device()->devicePixelRatioF();
    if (ratio != imagesRatio_) {
        images_ = DrawBuddyTreeImages(ratio);
        imagesRatio_ = ratio;
    }
    const QRect iconRect = IconRect(opt.rect);
    const int icon =
        index.data(kBuddyIconRole).isValid() ? index.data(kBuddyIconRole).toInt() : kIconNone;
    if (icon >= 0 && icon < images_.size())
        painter->drawImage(iconRect.topLeft(), images_.at(icon));

    QFont font = opt.font;
    font.setBold(look.bold);
    font.setItalic(look.italic);
    painter->setFont(font);
    painter->setPen(look.colour);
    const QRect textRect =
        opt.rect.adjusted(iconRect.right() + 1 - opt.rect.left() + kTextGap, 0, -kMargin, 0);
    const QString text = QFontMetrics(font).elidedText(opt.text, Qt::ElideRight, textRect.width());
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter->restore();

    if (opt.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(opt);
        focus.backgroundColor = palette.color(selected ? QPalette::Highlight : QPalette::Base);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}

QSize BuddyTreeDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    QFont font = option.font;
    font.setBold(true); // the widest of the looks
    const QFontMetrics metrics(font);
    const QString text = index.data(Qt::DisplayRole).toString();
    return QSize(kMargin + kBuddyIconSize + kTextGap + metrics.horizontalAdvance(text) + kMargin,
                 qMax(kBuddyIconSize + 4, metrics.height() + 4));
}

} // namespace quillo
