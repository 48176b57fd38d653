#pragma once
// TForm1: the main window. Its login page (TabSheet1) with the signing-in panel (Panel1) over
// it, its contact page (TabSheet2) with the header, the contact tree and the recommendation
// panel, the banner panel (Panel2) below both, and the menus. Every control carries its
// component name as objectName, so the language files and the tests find it.
//
// It only shows things and reports what the user does, through its signals; the session
// dispatcher and the program decide what follows.
//
// Thread: the user-interface thread. Lives from the start-up check's end to the process end;
// closing it hides it.

#include <QMainWindow>
#include <QPixmap>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QVBoxLayout;

namespace quillo {

class LanguageStrings;
class LinkLabel;

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(const LanguageStrings& strings, QWidget* parent = nullptr);

    // The pages. Showing the login page (also when it already shows) tells loginPageShown.
    void showLoginPage();
    // The contact page; the keys go to the contact tree when they were on the login page.
    void showContactPage();
    bool contactPageShown() const;

    // The common failure display: the signing-in panel goes, the text shows in red, centred.
    void ShowLoginError(const QString& text);
    void hideLoginError();
    // Under the remember box: no keyring answered, so the password stays in the settings file.
    void showPasswordInFileNote();
    // The signing-in panel over the login page, with its caption; Cancel shows only on request.
    void showSigningPanel(const QString& caption, bool withCancel);
    void setSigningCaption(const QString& caption);
    void hideSigningPanel();
    bool signingPanelShown() const;

    // The contact tree's place on the contact page.
    void setContactTree(QWidget* tree);
    void setUserName(const QString& name);
    void setUserPicture(const QPixmap& picture);
    // The sizes pictures are shown at: the user's own, and the banner strip's height.
    static constexpr QSize kUserPictureSize{50, 50};
    static constexpr int kBannerHeight = 64;
    // The banner panel: its text until a picture arrives, then the picture and its hint.
    void setBannerText(const QString& text);
    void setBannerPicture(const QPixmap& picture, const QString& hint);
    QPixmap bannerPicture() const;

    // The recommendation panel's fold button ("x" unfolded, "^" folded).
    void toggleRecommendPanel();

    // Controls the dispatcher and the commands read and set.
    QLineEdit* txtEmail = nullptr;
    QLineEdit* txtPassword = nullptr;
    QCheckBox* chkremember = nullptr;
    QCheckBox* chkAuto = nullptr;
    QPushButton* btnSignin = nullptr;
    QPushButton* btnCancel = nullptr;
    LinkLabel* lbSendMail = nullptr;
    LinkLabel* lbSendWall = nullptr;
    QAction* Signout1 = nullptr;

signals:
    void signInClicked();
    void cancelClicked();
    void signOutRequested(); // Signout1 and lbSignOut
    void exitRequested();
    void preferencesRequested();
    void helpRequested();
    void checkForUpdateRequested();
    void homePageRequested();
    void aboutRequested();
    void forgotPasswordRequested();
    void sendMailRequested();
    void sendWallRequested();
    // The login page became the visible page (it is each time showLoginPage runs).
    void loginPageShown();
    // The user closed the window; it is hidden (or minimised) already.
    void closedByUser();
    void resized(QSize size);
    // The banner's picture was clicked.
    void bannerClicked();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* buildLoginPage();
    QWidget* buildContactPage();
    QWidget* buildBanner();
    void buildMenus();
    void centreIntro();
    // The banner scaled down to the strip, keeping its proportions, so none of it is cut.
    void fitBanner();

    const LanguageStrings& strings_;
    QStackedWidget* pages_ = nullptr;
    QWidget* loginPage_ = nullptr;
    QWidget* contactPage_ = nullptr;
    QLabel* lblIntro_ = nullptr;
    QLabel* lblLoginError_ = nullptr;
    QLabel* panel1_ = nullptr;
    QLabel* userName_ = nullptr;
    QLabel* profileImg_ = nullptr;
    QVBoxLayout* treePlace_ = nullptr;
    QWidget* contactTree_ = nullptr;
    LinkLabel* signOut_ = nullptr;
    QWidget* panel4_ = nullptr;
    LinkLabel* foldButton_ = nullptr;
    QLabel* panel2_ = nullptr;
    QLabel* advImg_ = nullptr;
    QPixmap banner_; // as it came; advImg_ shows it fitted to the strip
    QLabel* lblPasswordInFile_ = nullptr;
};

} // namespace quillo
