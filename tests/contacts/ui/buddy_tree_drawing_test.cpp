// How the contact tree draws its nodes: the look table, the pictures of ImageList1, and the
// pictures on screen by each node's index.
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include "buddy_tree_fixture.h"
#include "contacts/ui/buddy_node_look.h"
#include "contacts/ui/buddy_tree_delegate.h"
#include "contacts/ui/buddy_tree_images.h"

namespace quillo::testing {
namespace {

struct LookCase {
    const char* name;
    BuddyNodeKind kind;
    bool hideOffline;
    bool selected;
    BuddyNodeLook look;
    friend void PrintTo(const LookCase& c, std::ostream* os) { *os << c.name; }
};

QPalette testPalette() {
    QPalette palette;
    palette.setColor(QPalette::Text, QColor(0x10, 0x20, 0x30));
    palette.setColor(QPalette::HighlightedText, QColor(0xfe, 0xfd, 0xfc));
    return palette;
}

class LookTest : public ::testing::TestWithParam<LookCase> {};

TEST_P(LookTest, StyleAndColourByPlace) {
    const LookCase& c = GetParam();
    EXPECT_EQ(LookOfBuddyNode(c.kind, c.hideOffline, c.selected, testPalette()), c.look);
}

const QColor kText(0x10, 0x20, 0x30);
const QColor kHighlight(0xfe, 0xfd, 0xfc);

INSTANTIATE_TEST_SUITE_P(
    Nodes, LookTest,
    ::testing::Values(
        LookCase{"OnlineBuddy", BuddyNodeKind::OnlineBuddy, true, false, {true, false, kText}},
        LookCase{"OfflineBuddy", BuddyNodeKind::OfflineBuddy, false, false, {false, true, kText}},
        LookCase{"OfflineGroupHidden",
                 BuddyNodeKind::OfflineGroup,
                 true,
                 false,
                 {false, true, QColor(0xC0, 0xC0, 0xC0)}},
        LookCase{"OfflineGroupShown",
                 BuddyNodeKind::OfflineGroup,
                 false,
                 false,
                 {true, false, QColor(0xA6, 0xCA, 0xF0)}},
        LookCase{"OnlineGroup",
                 BuddyNodeKind::OnlineGroup,
                 true,
                 false,
                 {true, false, QColor(0xA6, 0xCA, 0xF0)}},
        LookCase{"SelectedOnlineBuddy",
                 BuddyNodeKind::OnlineBuddy,
                 false,
                 true,
                 {true, false, kHighlight}},
        LookCase{"SelectedHiddenGroup",
                 BuddyNodeKind::OfflineGroup,
                 true,
                 true,
                 {false, true, kHighlight}}),
    [](const ::testing::TestParamInfo<LookCase>& row) { return row.param.name; });

TEST(BuddyTreeImages, FiveTwelvePixelPictures) {
    const QList<QImage> images = DrawBuddyTreeImages();
    ASSERT_EQ(images.size(), kBuddyIconCount);
    for (const QImage& image : images)
        EXPECT_EQ(image.size(), QSize(kBuddyIconSize, kBuddyIconSize));
    const QColor green = images[kIconOnline].pixelColor(6, 6);
    const QColor red = images[kIconOffline].pixelColor(6, 6);
    EXPECT_GT(green.green(), 2 * green.red());
    EXPECT_GT(red.red(), 2 * red.green());
    // Outlined triangles are hollow; the HideOffline one is filled grey.
    EXPECT_EQ(images[kIconCollapsed].pixelColor(5, 6).alpha(), 0);
    EXPECT_EQ(images[kIconExpanded].pixelColor(6, 5).alpha(), 0);
    const QColor grey = images[kIconHidden].pixelColor(5, 6);
    EXPECT_EQ(grey.alpha(), 255);
    EXPECT_EQ(grey.red(), grey.blue());
    // Right and down differ.
    EXPECT_NE(images[kIconCollapsed], images[kIconExpanded]);
}

TEST_F(BuddyTreeTest, EachNodeShowsThePictureOfItsIndex) {
    tree->ApplyHideOffline(true);
    build({"O1:Ann", "X2:Bob"});
    tree->ApplyHideOffline(false);
    offline()->setExpanded(false);
    tree->ApplyHideOffline(true); // closed already: no picture

    const QImage screen = tree->viewport()->grab().toImage();
    const QList<QImage> images = DrawBuddyTreeImages();
    const auto pictureAt = [&](const QTreeWidgetItem* node) {
        const QRect at = BuddyTreeDelegate::IconRect(tree->visualItemRect(node));
        return screen.copy(at).convertToFormat(QImage::Format_ARGB32);
    };
    const auto over = [&](int icon) {
        QImage expected(kBuddyIconSize, kBuddyIconSize, QImage::Format_ARGB32);
        expected.fill(tree->palette().color(QPalette::Base));
        if (icon >= 0) {
            QPainter painter(&expected);
            painter.drawImage(0, 0, images[icon]);
        }
        return expected;
    };
    EXPECT_EQ(pictureAt(online()), over(kIconExpanded));
    EXPECT_EQ(pictureAt(online()->child(0)), over(kIconOnline));
    EXPECT_EQ(pictureAt(offline()), over(kIconNone));
}

} // namespace
} // namespace quillo::testing
