// The download progress window on its own.
#include "dlvdownload.h"
#include "dlvutils.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using dlv::TformDownload;

namespace {

TEST(FormDownload, DesignedWindow)
{
    TformDownload form;
    EXPECT_EQ(form.windowTitle(), "Dalvane");
    const Qt::WindowFlags f = form.windowFlags();
    EXPECT_TRUE(f & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(f & Qt::CustomizeWindowHint);
    EXPECT_TRUE(f & Qt::WindowTitleHint);
    EXPECT_FALSE(f
        & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
            | Qt::WindowSystemMenuHint));
    EXPECT_EQ(form.size(), QSize(260, 107));
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "fixed border";
    EXPECT_EQ(form.lblDirDate->geometry(), QRect(8, 12, 244, form.lblDirDate->height()));
    EXPECT_TRUE(form.lblDirDate->font().bold());
    EXPECT_TRUE(form.lblDirDate->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(form.lblFileProgress->text(), "Transfering");
    EXPECT_EQ(form.lblFileProgress->pos(), QPoint(8, 39));
    EXPECT_EQ(form.progressFile->geometry(), QRect(69, 36, 183, 17));
    EXPECT_EQ(form.btnCancel->text(), "Cancel");
    EXPECT_EQ(form.btnCancel->geometry(), QRect(177, 74, 75, 25));
    EXPECT_EQ(form.timerClose->interval(), 1000);
    EXPECT_FALSE(form.timerClose->isActive());
    EXPECT_FALSE(form.testAttribute(Qt::WA_QuitOnClose)) << "never keeps the program alive";
}

TEST(FormDownload, ShownFreshCentredOnTheMainWindow)
{
    QMainWindow main;
    main.setGeometry(100, 80, 900, 600);
    main.show();
    TformDownload form(&main);
    form.ShowDownload();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.lblDirDate->text(), "Checking for new recordings");
    EXPECT_FALSE(form.lblFileProgress->isVisible());
    EXPECT_FALSE(form.progressFile->isVisible());
    EXPECT_FALSE(form.Cancelled());
    const QPoint ptDelta = form.frameGeometry().center() - main.frameGeometry().center();
    EXPECT_LE(ptDelta.manhattanLength(), 2);
}

TEST(FormDownload, ProgressShowsTheDayAndTheFilesOfThatDay)
{
    TformDownload form;
    form.ShowDownload();
    const QString sDay = dlv::DayLabel(dlv::DirNameToDate("20160315"));
    ASSERT_FALSE(sDay.isEmpty());

    // One file: the day only.
    form.UpdateProgress("20160315", 0, 0);
    EXPECT_EQ(form.lblDirDate->text(), sDay);
    EXPECT_FALSE(form.progressFile->isVisible());
    EXPECT_FALSE(form.lblFileProgress->isVisible());

    // Three files: maximum 2, position 0, 1, 2.
    for (int i = 0; i < 3; ++i) {
        form.UpdateProgress("20160316", i, 2);
        EXPECT_EQ(form.progressFile->maximum(), 2);
        EXPECT_EQ(form.progressFile->value(), i);
    }
    EXPECT_EQ(form.lblDirDate->text(), dlv::DayLabel(dlv::DirNameToDate("20160316")));
    EXPECT_TRUE(form.progressFile->isVisible());
    EXPECT_TRUE(form.lblFileProgress->isVisible());

    // Once shown, bar and label stay for the rest of the download.
    form.UpdateProgress("20160317", 0, 0);
    EXPECT_TRUE(form.progressFile->isVisible());
    // A folder name with more after the date shows its date.
    form.UpdateProgress("20160318x", 0, 0);
    EXPECT_EQ(form.lblDirDate->text(), dlv::DayLabel(dlv::DirNameToDate("20160318")));

    // The next download starts over.
    form.hide();
    form.ShowDownload();
    EXPECT_EQ(form.lblDirDate->text(), "Checking for new recordings");
    EXPECT_FALSE(form.progressFile->isVisible());
}

TEST(FormDownload, CancelOnlyAsksAndEscapeDoesNotClose)
{
    TformDownload form;
    form.ShowDownload();
    QTest::mouseClick(form.btnCancel, Qt::LeftButton);
    EXPECT_TRUE(form.Cancelled());
    EXPECT_TRUE(form.isVisible()) << "stays until the download reports its end";
    QTest::mouseClick(form.btnCancel, Qt::LeftButton);
    EXPECT_TRUE(form.Cancelled());

    form.hide();
    form.ShowDownload();
    EXPECT_FALSE(form.Cancelled()) << "every download starts uncancelled";
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.Cancelled()) << "Escape acts as Cancel";
    EXPECT_FALSE(form.close()) << "the user cannot close it";
    EXPECT_TRUE(form.isVisible());
}

TEST(FormDownload, HidesOneSecondAfterFinished)
{
    TformDownload form;
    form.ShowDownload();
    form.Finished();
    EXPECT_TRUE(form.timerClose->isActive());
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, 5000));
    EXPECT_FALSE(form.timerClose->isActive());

    // Shown again before the timer fired: the pending close is dropped and
    // the window starts over.
    form.ShowDownload();
    form.UpdateProgress("20160316", 1, 2);
    form.Finished();
    form.ShowDownload();
    EXPECT_FALSE(form.timerClose->isActive());
    EXPECT_EQ(form.lblDirDate->text(), "Checking for new recordings");
    EXPECT_FALSE(form.progressFile->isVisible());
}

// Counts the activations of a window.
class TActivationSpy : public QObject
{
public:
    int nActivated = 0;
    bool eventFilter(QObject *, QEvent *pEvent) override
    {
        if (pEvent->type() == QEvent::WindowActivate)
            ++nActivated;
        return false;
    }
};

TEST(FormDownload, TakesTheFocusBackWhileShown)
{
    QWidget other;
    TActivationSpy spy;
    other.installEventFilter(&spy);
    other.show();
    TformDownload form;
    form.ShowDownload();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return spy.nActivated > 0; }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.isActiveWindow(); }, 2000));

    // Hidden, it lets go.
    form.hide();
    other.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
    QTest::qWait(50);
    EXPECT_TRUE(other.isActiveWindow());
}

} // namespace
