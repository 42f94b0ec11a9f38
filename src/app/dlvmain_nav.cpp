// Meter and day navigation of the main window: the meter list, the day list,
// the loading of a day and the meter details panel.
#include "dlvmain.h"

#include "dlverror.h"
#include "dlvfiles.h"
#include "dlvfilesys630.h"
#include "dlvmessages.h"
#include "dlvutils.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

namespace dlv {

namespace {

// Draws list lines with tab stops of a chosen width (the meter details list
// aligns "Model" and "Serial #" with their values).
class TTabStopDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void SetTabStop(double flPixels) { m_flTabStop = flPixels; }

    void paint(QPainter *pPainter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString sText = opt.text;
        const QWidget *pWidget = opt.widget;
        QStyle *pStyle = pWidget ? pWidget->style() : QApplication::style();
        const QRect rcText = pStyle->subElementRect(QStyle::SE_ItemViewItemText, &opt, pWidget);
        opt.text.clear();
        pStyle->drawControl(QStyle::CE_ItemViewItem, &opt, pPainter, pWidget);
        QTextOption to(Qt::AlignLeft | Qt::AlignVCenter);
        to.setWrapMode(QTextOption::NoWrap);
        to.setTabStopDistance(m_flTabStop);
        const QPalette::ColorGroup cg
            = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        pPainter->save();
        pPainter->setFont(opt.font);
        pPainter->setPen(opt.palette.color(
            cg, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
        pPainter->drawText(QRectF(rcText).adjusted(2, 0, -2, 0), sText, to);
        pPainter->restore();
    }

private:
    double m_flTabStop = 80.0;
};

// Tells the day list's selection handler whether the selection moved during
// the current mouse press, so that a click on the row that is already
// selected still loads that day again (and a drag loads each row once).
class TDayListWatch : public QObject
{
public:
    using QObject::QObject;
    bool bSelMoved = false;

protected:
    bool eventFilter(QObject *, QEvent *pEvent) override
    {
        if (pEvent->type() == QEvent::MouseButtonPress)
            bSelMoved = false;
        return false;
    }
};

} // namespace

QString TformMain::DayText(const QString &sFolder)
{
    // A folder name that passes the folder test but is not a calendar date
    // (20160230) has no date to label: the list shows the name itself.
    const TDateTime dt = DirNameToDate(sFolder);
    return dt == NoDate ? sFolder : DayLabel(dt);
}

void TformMain::ConnectNavigation()
{
    connect(comboMeters, &QComboBox::activated, this, &TformMain::comboMetersChange);

    auto *pWatch = new TDayListWatch(listboxFolders);
    listboxFolders->viewport()->installEventFilter(pWatch);
    // Selections made by the program block the list's signals, so these run
    // only for the user's mouse and keyboard.
    connect(listboxFolders, &QListWidget::itemSelectionChanged, this, [this, pWatch] {
        pWatch->bSelMoved = true;
        listboxFoldersClick();
    });
    connect(listboxFolders, &QListWidget::itemClicked, this, [this, pWatch] {
        if (pWatch->bSelMoved)
            return;
        pWatch->bSelMoved = true; // the release of a double click loads nothing more
        listboxFoldersClick();
    });

    connect(menuDataFolders, &QAction::triggered, this, &TformMain::menuDataFoldersClick);
    connect(btnMeterDetails, &QPushButton::clicked, this, &TformMain::btnMeterDetailsClick);
    connect(menuSLMDetails, &QAction::triggered, this, &TformMain::btnMeterDetailsClick);
    listMeterDetails->setItemDelegate(new TTabStopDelegate(listMeterDetails));
}

void TformMain::ShowMeters()
{
    const QStringList &slMeters = filesys->GetMeters();
    const QSignalBlocker block(comboMeters);
    comboMeters->clear();
    comboMeters->addItems(slMeters);
    if (!slMeters.isEmpty()) {
        const int i
            = comboMeters->findText(Cfg->LastMeter(), Qt::MatchExactly | Qt::MatchCaseSensitive);
        comboMeters->setCurrentIndex(i >= 0 ? i : 0);
    }
    // With one meter (or none) there is nothing to choose; that meter is still
    // the shown one.
    const bool bChoice = slMeters.size() >= 2;
    lblTxtMeter->setVisible(bChoice);
    comboMeters->setVisible(bChoice);
}

void TformMain::ShowFolders()
{
    const QString sMeter = comboMeters->currentText();
    Cfg->SetLastMeter(sMeter);
    slMonths = &filesys->GetMonths(sMeter);
    {
        const QSignalBlocker block(listboxFolders);
        listboxFolders->clear();
        for (const QString &s : *slMonths)
            listboxFolders->addItem(DayText(s));
        listboxFolders->clearSelection();
    }
    HideDayView();
}

void TformMain::HideDayView()
{
    panelMain->hide();
    panelPrfBtns->hide();
}

bool TformMain::LoadDay(int nListIndex)
{
    if (!slMonths || nListIndex < 0 || nListIndex >= slMonths->size()
        || nListIndex >= listboxFolders->count())
        return false;
    const TWaitCursor waitCursor;
    if (isVisible())
        repaint();
    {
        const QSignalBlocker block(listboxFolders);
        listboxFolders->setCurrentRow(nListIndex);
    }
    // A note still being typed belongs to the day on show: save it before
    // another day (or the same one, read again) replaces the rows.
    CommitEvtNotes();
    iEvtSel = -1;
    const QString sDate = slMonths->at(nListIndex);
    const QString sMeter = comboMeters->currentText();

    // A day whose run headers cannot be read keeps the view as it is. The
    // measurement has then already taken the new day's names while its levels
    // and events are still the shown day's: a note or flag edited in the view
    // would be saved into the other day's annotation file. Reading the shown
    // day's headers again puts the names back (levels and events were not
    // touched), so the view, its edits and the reports all stay on one day.
    const bool bHadDay = fs630->Loaded();
    const QString sPrevMeter = fs630->Meter();
    const QString sPrevDate = fs630->Date();
    auto keepPreviousDay = [&] {
        if (!bHadDay || (sPrevMeter == sMeter && sPrevDate == sDate))
            return;
        try {
            fs630->LoadBin(sPrevMeter, sPrevDate);
        } catch (const std::exception &) {
            // The names are back whatever the headers say now.
        }
    };

    bool bReplacing = false;
    try {
        bool bHeaders = false;
        try {
            bHeaders = fs630->LoadBin(sMeter, sDate);
        } catch (...) {
            keepPreviousDay();
            throw;
        }
        if (!bHeaders) {
            keepPreviousDay();
            return false;
        }
        bReplacing = true;
        panelPrf->setVisible(fs630->LoadProfiles());
        fs630->LoadEvents();
        ShowMeterDetails();
        PlotProfile();
        ShowEvents();
        panelMain->show();
        panelPrfBtns->show();
        AdjustEventsPanel();
        UpdateMenus();
        return true;
    } catch (const std::exception &e) {
        // Once the new day's levels or events were read, the old view no
        // longer matches the measurement: no day is shown until the next load.
        if (bReplacing) {
            HideDayView();
            const QSignalBlocker block(listboxFolders);
            listboxFolders->clearSelection();
            UpdateMenus();
        }
        const auto *pDlv = dynamic_cast<const EDlvError *>(&e);
        ShowError(pDlv ? pDlv->Message() : QString::fromLocal8Bit(e.what()), this);
    }
    return false;
}

void TformMain::ShowMeterDetails()
{
    // Read first: a calibration date that cannot be decoded raises an error
    // and must not leave a half-filled list behind.
    const QStringList slCalibrations = fs630->CalibrationLabels();
    if (auto *pDelegate = dynamic_cast<TTabStopDelegate *>(listMeterDetails->itemDelegate())) {
        // 20 dialog units: a dialog unit is a quarter of the average character.
        pDelegate->SetTabStop(5.0 * listMeterDetails->fontMetrics().averageCharWidth());
    }
    listMeterDetails->clear();
    listMeterDetails->addItem(QStringLiteral("Model\t") + fs630->Model());
    listMeterDetails->addItem(QStringLiteral("Serial #\t") + fs630->Meter());
    listMeterDetails->addItem(QString());
    listMeterDetails->addItem(QStringLiteral("Calibration Checks:"));
    for (const QString &s : slCalibrations) {
        if (!s.isEmpty())
            listMeterDetails->addItem(QStringLiteral("  ") + s);
    }
}

void TformMain::comboMetersChange()
{
    // Only another meter changes anything: picking the shown one again keeps
    // its day on screen.
    if (comboMeters->currentText() == Cfg->LastMeter())
        return;
    ShowFolders();
}

void TformMain::listboxFoldersClick()
{
    const QList<QListWidgetItem *> aSel = listboxFolders->selectedItems();
    if (!aSel.isEmpty())
        LoadDay(listboxFolders->row(aSel.first()));
}

void TformMain::menuDataFoldersClick()
{
    // The data folders dialog joins here: on OK it sets BaseDir from its
    // chosen name and refills the lists (ShowMeters, then ShowFolders).
}

void TformMain::btnMeterDetailsClick()
{
    const bool bShow = panelMeter->isHidden();
    panelMeter->setVisible(bShow);
    btnMeterDetails->setChecked(bShow);
    menuSLMDetails->setChecked(bShow);
}

} // namespace dlv
