#pragma once
// TSplashScreen: the hidden owner window. At start it is the splash, a borderless 467 x 313
// picture in the middle of the screen with the status line lbstatus over it, while the start-up
// check runs; afterwards it stays hidden for the rest of the run. Hidden, it gives back its
// picture and its window's pixels (over a megabyte together), and draws them again if it is
// ever shown again.
//
// Thread: the user-interface thread.

#include <QWidget>

class QLabel;

namespace quillo {

class SplashScreen final : public QWidget {
    Q_OBJECT
public:
    explicit SplashScreen(QWidget* parent = nullptr);

    // The status line under the picture ("Checking for new version..."), empty when no check
    // for a new version runs.
    void setStatus(const QString& text);
    QString status() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void releasePixels();

    QLabel* picture_ = nullptr;
    QLabel* lbstatus_ = nullptr;
};

} // namespace quillo
