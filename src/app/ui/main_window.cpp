#include "app/ui/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedLayout>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/ui/program_pictures.h"
#include "app/ui/skin.h"
#include "conversation/ui/link_label.h"
#include "desktop/ui/desktop_pictures.h"
#include "platform/ui/plain_text.h"
#include "prefs/language_strings.h"

namespace quillo {

namespace {

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

MainWindow::MainWindow(const LanguageStrings& strings, QWidget* parent)
    : QMainWindow(parent)
    , strings_(strings) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Quillo for Facebook"));
    setWindowIcon(DrawApplicationIcon());

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    pages_ = named(new QStackedWidget(central), "PageControl1");
    loginPage_ = buildLoginPage();
    contactPage_ = buildContactPage();
    pages_->addWidget(loginPage_);
    pages_->addWidget(contactPage_);
    column->addWidget(pages_, 1);
    column->addWidget(buildBanner());
    setCentralWidget(central);
    buildMenus();
}

QWidget* MainWindow::buildLoginPage() {
    auto* page = named(new QWidget, "TabSheet1");
    auto* stack = new QStackedLayout(page);
    stack->setStackingMode(QStackedLayout::StackAll);

    auto* form = named(new QWidget, "loginForm");
    auto* column = new QVBoxLayout(form);
    column->setContentsMargins(18, 18, 18, 18);
    auto* picture = named(new QLabel(form), "Image1");
    picture->setPixmap(LoginPicture(picture->devicePixelRatioF()));
    picture->setAlignment(Qt::AlignCenter);
    column->addWidget(picture);
    lblLoginError_ = named(new QLabel(form), "lblLoginError");
    lblLoginError_->setWordWrap(true);
    lblLoginError_->setAlignment(Qt::AlignCenter);
    lblLoginError_->setProperty("error", true);
    lblLoginError_->hide();
    column->addWidget(lblLoginError_);
    lblIntro_ = named(new QLabel(strings_.text(LanguageKey::msgIntro), form), "lblIntro");
    lblIntro_->setWordWrap(true);
    column->addWidget(lblIntro_);

    auto* fields = new QFormLayout;
    txtEmail = named(new QLineEdit(form), "txtEmail");
    txtPassword = named(new QLineEdit(form), "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    auto* emailLabel = named(new QLabel(QStringLiteral("Email:"), form), "lbEmail");
    auto* passwordLabel = named(new QLabel(QStringLiteral("Password:"), form), "lbPassword");
    emailLabel->setBuddy(txtEmail);
    passwordLabel->setBuddy(txtPassword);
    fields->addRow(emailLabel, txtEmail);
    fields->addRow(passwordLabel, txtPassword);
    column->addLayout(fields);

    chkremember =
        named(new QCheckBox(QStringLiteral("Remember email and password."), form), "chkremember");
    chkAuto = named(new QCheckBox(QStringLiteral("Sign in automatically "), form), "chkAuto");
    column->addWidget(chkremember);
    // Its text is set when it shows, from the language strings of that moment.
    lblPasswordInFile_ = named(new QLabel(form), "lblPasswordInFile");
    lblPasswordInFile_->setWordWrap(true);
    lblPasswordInFile_->hide();
    column->addWidget(lblPasswordInFile_);
    column->addWidget(chkAuto);
    connect(chkremember, &QCheckBox::toggled, this, [this](bool remember) {
        if (!remember)
            chkAuto->setChecked(false);
        chkAuto->setEnabled(remember);
    });

    btnSignin = named(new QPushButton(QStringLiteral("Sign in"), form), "btnSignin");
    btnSignin->setDefault(true);
    btnSignin->setAutoDefault(true);
    column->addWidget(btnSignin, 0, Qt::AlignHCenter);
    connect(btnSignin, &QPushButton::clicked, this, &MainWindow::signInClicked);
    // Enter in either field signs in, as the default button of the page does.
    connect(txtEmail, &QLineEdit::returnPressed, btnSignin, &QPushButton::click);
    connect(txtPassword, &QLineEdit::returnPressed, btnSignin, &QPushButton::click);

    auto* forgot =
        named(new LinkLabel(QStringLiteral("Forgot password"), form), "lbForgotPassword");
    column->addWidget(forgot, 0, Qt::AlignHCenter);
    connect(forgot, &LinkLabel::clicked, this, &MainWindow::forgotPasswordRequested);
    column->addStretch(1);
    stack->addWidget(form);
    // Down the page as it reads: the fields, the two boxes, Sign in, then the link.
    QWidget::setTabOrder(txtEmail, txtPassword);
    QWidget::setTabOrder(txtPassword, chkremember);
    QWidget::setTabOrder(chkremember, chkAuto);
    QWidget::setTabOrder(chkAuto, btnSignin);
    QWidget::setTabOrder(btnSignin, forgot);

    // The signing-in panel lies over the whole form while it shows.
    panel1_ = named(new QLabel(QStringLiteral("Signing in...")), "Panel1");
    panel1_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    panel1_->setWordWrap(true);
    panel1_->setAutoFillBackground(true);
    auto* panelColumn = new QVBoxLayout(panel1_);
    panelColumn->setContentsMargins(18, 60, 18, 18);
    auto* busy = named(new QLabel(panel1_), "Image2");
    busy->setPixmap(BusyPicture(busy->devicePixelRatioF()));
    busy->setAlignment(Qt::AlignCenter);
    panelColumn->addWidget(busy);
    btnCancel = named(new QPushButton(QStringLiteral("Cancel"), panel1_), "btnCancel");
    btnCancel->setAutoDefault(true); // Enter presses it when it has the focus
    panelColumn->addWidget(btnCancel, 0, Qt::AlignHCenter);
    panelColumn->addStretch(1);
    connect(btnCancel, &QPushButton::clicked, this, &MainWindow::cancelClicked);
    stack->addWidget(panel1_);
    panel1_->hide();
    stack->setCurrentWidget(form);
    return page;
}

QWidget* MainWindow::buildContactPage() {
    auto* page = named(new QWidget, "TabSheet2");
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = named(new QFrame(page), "Panel3");
    auto* headerRow = new QHBoxLayout(header);
    profileImg_ = named(new QLabel(header), "profileImg");
    profileImg_->setFixedSize(kUserPictureSize);
    profileImg_->setScaledContents(true);
    profileImg_->setPixmap(DefaultUserPicture(profileImg_->devicePixelRatioF()));
    headerRow->addWidget(profileImg_);
    auto* nameColumn = new QVBoxLayout;
    userName_ = named(new QLabel(header), "Label1");
    userName_->setProperty("userName", true);
    nameColumn->addWidget(userName_);
    signOut_ = named(new LinkLabel(QStringLiteral("Sign out"), header), "lbSignOut");
    nameColumn->addWidget(signOut_, 0, Qt::AlignLeft);
    headerRow->addLayout(nameColumn, 1);
    connect(signOut_, &LinkLabel::clicked, this, &MainWindow::signOutRequested);
    column->addWidget(header);

    treePlace_ = new QVBoxLayout;
    treePlace_->setContentsMargins(0, 0, 0, 0);
    column->addLayout(treePlace_, 1);

    panel4_ = named(new QFrame(page), "Panel4");
    panel4_->setStyleSheet(RecommendPanelStyleSheet()); // no skin reaches these two
    panel4_->setFixedHeight(75);
    auto* outer = new QVBoxLayout(panel4_);
    outer->setContentsMargins(2, 2, 2, 2);
    auto* panel5 = named(new QFrame(panel4_), "Panel5");
    auto* links = new QVBoxLayout(panel5);
    links->setContentsMargins(6, 2, 6, 2);
    links->setSpacing(1);
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(named(new QLabel(QStringLiteral("Recommend Quillo"), panel5), "lbRecomend"),
                        1);
    foldButton_ = named(new LinkLabel(QStringLiteral("x"), panel5), "Label5");
    foldButton_->setAccessibleName(QStringLiteral("Fold the recommendation panel"));
    titleRow->addWidget(foldButton_);
    links->addLayout(titleRow);
    lbSendMail =
        named(new LinkLabel(QStringLiteral("Private Message Friend(s)"), panel5), "lbSendMail");
    lbSendWall =
        named(new LinkLabel(QStringLiteral("Post on Friend(s) Wall"), panel5), "lbSendWall");
    lbSendMail->setEnabled(false);
    lbSendWall->setEnabled(false);
    links->addWidget(lbSendMail);
    links->addWidget(lbSendWall);
    outer->addWidget(panel5);
    column->addWidget(panel4_);
    connect(foldButton_, &LinkLabel::clicked, this, &MainWindow::toggleRecommendPanel);
    connect(lbSendMail, &LinkLabel::clicked, this, &MainWindow::sendMailRequested);
    connect(lbSendWall, &LinkLabel::clicked, this, &MainWindow::sendWallRequested);
    return page;
}

QWidget* MainWindow::buildBanner() {
    panel2_ = named(new QLabel(strings_.text(LanguageKey::msgBanner)), "Panel2");
    panel2_->setAlignment(Qt::AlignCenter);
    panel2_->setFixedHeight(kBannerHeight);
    // clMoneyGreen, the strip's colour until a banner covers it.
    QPalette strip = panel2_->palette();
    strip.setColor(QPalette::Window, QColor(0xC0, 0xDC, 0xC0));
    panel2_->setPalette(strip);
    panel2_->setAutoFillBackground(true);
    auto* inside = new QVBoxLayout(panel2_);
    inside->setContentsMargins(0, 0, 0, 0);
    auto* banner = named(new LinkLabel(QString(), panel2_), "advImg");
    connect(banner, &LinkLabel::clicked, this, &MainWindow::bannerClicked);
    advImg_ = banner;
    advImg_->setAccessibleName(QStringLiteral("Advertisement"));
    advImg_->setAlignment(Qt::AlignCenter);
    // The strip's width is the window's: a wide banner is fitted to it, never widens it.
    advImg_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    advImg_->hide();
    inside->addWidget(advImg_);
    return panel2_;
}

void MainWindow::buildMenus() {
    // The "&" marks the letter that Alt (in the bar) or the letter alone (in an open menu)
    // chooses; the language files may mark their own. Commands with a key of the desktop's
    // (Quit, Help, Preferences) show it beside their caption.
    auto action = [this](QMenu* menu, const char* name, const QString& caption, auto signal,
                         QKeySequence::StandardKey key = QKeySequence::UnknownKey) {
        QAction* item = menu->addAction(caption);
        item->setObjectName(QString::fromLatin1(name));
        if (key != QKeySequence::UnknownKey)
            item->setShortcuts(key);
        connect(item, &QAction::triggered, this, signal);
        return item;
    };
    QMenu* messenger = named(menuBar()->addMenu(QStringLiteral("&Messenger")), "Messenger1");
    Signout1 =
        action(messenger, "Signout1", QStringLiteral("&Sign out"), &MainWindow::signOutRequested);
    Signout1->setEnabled(false);
    action(messenger, "Exit1", QStringLiteral("E&xit"), &MainWindow::exitRequested,
           QKeySequence::Quit);
    QMenu* tools = named(menuBar()->addMenu(QStringLiteral("&Tools")), "Tools1");
    action(tools, "Option1", QStringLiteral("&Preferences"), &MainWindow::preferencesRequested,
           QKeySequence::Preferences);
    QMenu* help = named(menuBar()->addMenu(QStringLiteral("&Help")), "Help1");
    action(help, "Help2", QStringLiteral("&Help"), &MainWindow::helpRequested,
           QKeySequence::HelpContents);
    action(help, "Checkforupdate1", QStringLiteral("Check for &Update"),
           &MainWindow::checkForUpdateRequested);
    action(help, "Homepage1", QStringLiteral("Home &page"), &MainWindow::homePageRequested);
    action(help, "About1", QStringLiteral("&About"), &MainWindow::aboutRequested);
}

void MainWindow::showLoginPage() {
    pages_->setCurrentWidget(loginPage_);
    txtEmail->setFocus();
    btnSignin->setEnabled(true);
    Signout1->setEnabled(false);
    emit loginPageShown();
}

void MainWindow::showContactPage() {
    // The keys were on the login page, which is gone: they go to the contacts.
    const bool keysOnLogin = !focusWidget() || loginPage_->isAncestorOf(focusWidget());
    pages_->setCurrentWidget(contactPage_);
    if (keysOnLogin && contactTree_)
        contactTree_->setFocus(Qt::OtherFocusReason);
}

bool MainWindow::contactPageShown() const {
    return pages_->currentWidget() == contactPage_;
}

void MainWindow::ShowLoginError(const QString& text) {
    hideSigningPanel();
    lblLoginError_->setText(text);
    lblLoginError_->show();
}

void MainWindow::hideLoginError() {
    lblLoginError_->hide();
}

void MainWindow::showSigningPanel(const QString& caption, bool withCancel) {
    panel1_->setText(caption);
    btnCancel->setVisible(withCancel);
    btnCancel->setEnabled(withCancel);
    panel1_->show();
    panel1_->raise();
}

void MainWindow::setSigningCaption(const QString& caption) {
    panel1_->setText(caption);
}

void MainWindow::hideSigningPanel() {
    panel1_->hide();
}

bool MainWindow::signingPanelShown() const {
    return !panel1_->isHidden();
}

void MainWindow::setContactTree(QWidget* tree) {
    treePlace_->addWidget(tree);
    contactTree_ = tree;
    // The tree joins the page after its other controls: Tab reaches it where it shows.
    QWidget::setTabOrder(signOut_, tree);
    QWidget::setTabOrder(tree, foldButton_);
    QWidget::setTabOrder(foldButton_, lbSendMail);
    QWidget::setTabOrder(lbSendMail, lbSendWall);
}

void MainWindow::showPasswordInFileNote() {
    lblPasswordInFile_->setText(strings_.text(LanguageKey::msgPasswordInFile));
    lblPasswordInFile_->show();
}

void MainWindow::setUserName(const QString& name) {
    showName(userName_, name);
}

void MainWindow::setUserPicture(const QPixmap& picture) {
    profileImg_->setPixmap(picture);
}

void MainWindow::setBannerText(const QString& text) {
    panel2_->setText(text);
}

void MainWindow::setBannerPicture(const QPixmap& picture, const QString& hint) {
    banner_ = picture;
    fitBanner();
    setPlainToolTip(advImg_, hint); // the maker's text
    advImg_->setVisible(!picture.isNull());
}

QPixmap MainWindow::bannerPicture() const {
    return banner_;
}

void MainWindow::fitBanner() {
    const QSize strip(panel2_->width(), kBannerHeight);
    const QSizeF shown = QSizeF(banner_.size()) / banner_.devicePixelRatio();
    if (banner_.isNull() || strip.width() <= 0 ||
        (shown.width() <= strip.width() && shown.height() <= strip.height())) {
        advImg_->setPixmap(banner_);
        return;
    }
    // Drawn at the screen's density, so that it stays sharp at a scale of 2.
    const qreal ratio = devicePixelRatioF();
    QPixmap fitted = banner_.scaled(strip * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    fitted.setDevicePixelRatio(ratio);
    advImg_->setPixmap(fitted);
}

void MainWindow::toggleRecommendPanel() {
    const bool unfolded = foldButton_->text() == u"x";
    panel4_->setFixedHeight(unfolded ? 30 : 75);
    foldButton_->setText(unfolded ? QStringLiteral("^") : QStringLiteral("x"));
    foldButton_->setAccessibleName(unfolded ? QStringLiteral("Unfold the recommendation panel")
                                            : QStringLiteral("Fold the recommendation panel"));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing only puts the window away; the program goes on (in the tray).
    event->ignore();
    emit closedByUser();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    centreIntro();
    fitBanner();
    emit resized(size());
}

void MainWindow::centreIntro() {
    lblIntro_->setAlignment(Qt::AlignHCenter);
}

} // namespace quillo
