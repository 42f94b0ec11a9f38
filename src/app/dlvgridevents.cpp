#include "dlvgridevents.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>

namespace dlv {

namespace {

QPixmap MakeMark(int nIndex)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (nIndex == 0) {
        p.setPen(QPen(QColor(255, 0, 0), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF apt[] = { { 3.0, 8.5 }, { 6.5, 12.0 }, { 13.0, 3.5 } };
        p.drawPolyline(apt, 3);
    } else if (nIndex == 1) {
        p.setPen(QPen(Qt::black, 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4.0, 4.0), QPointF(12.0, 12.0));
        p.drawLine(QPointF(12.0, 4.0), QPointF(4.0, 12.0));
    }
    return pm;
}

// Headings sit as close to the cell's edge as the cells' own texts do, so
// "LAFmax dB" fits its 60-pixel column.
class THeadingStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(
        PixelMetric metric, const QStyleOption *pOption, const QWidget *pWidget) const override
    {
        if (metric == PM_HeaderMargin)
            return 2;
        return QProxyStyle::pixelMetric(metric, pOption, pWidget);
    }
};

bool IsEnter(int nKey)
{
    return nKey == Qt::Key_Return || nKey == Qt::Key_Enter;
}

} // namespace

const QPixmap &ReportMark(int nIndex)
{
    static const QPixmap apm[3] = { MakeMark(0), MakeMark(1), MakeMark(2) };
    return apm[qBound(0, nIndex, 2)];
}

TGridEvents::TGridEvents(QWidget *pParent)
    : QTableWidget(pParent)
{
    setColumnCount(5);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setSortingEnabled(false);

    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    QHeaderView *pHead = horizontalHeader();
    pHead->setMinimumSectionSize(1);
    pHead->setStretchLastSection(false);
    pHead->setSectionResizeMode(QHeaderView::Fixed);
    pHead->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pHead->setHighlightSections(false);
    pHead->setSectionsClickable(true);
    pHead->setFixedHeight(kRowHeight + 1);
    auto *pHeadStyle = new THeadingStyle(style()->name());
    pHeadStyle->setParent(pHead);
    pHead->setStyle(pHeadStyle);
    const int anWidths[5] = { 64, 60, 60, 209, 42 };
    for (int c = 0; c < 5; ++c)
        pHead->resizeSection(c, anWidths[c]);
    // A heading click switches the level shown; it must not select a column
    // (which would move the current cell and select an item).
    disconnect(pHead, &QHeaderView::sectionPressed, this, nullptr);
    disconnect(pHead, &QHeaderView::sectionEntered, this, nullptr);
    connect(pHead, &QHeaderView::sectionClicked, this, [this](int nCol) {
        if (isEnabled())
            emit FixedCellClick(nCol);
    });

    // The selected row stays highlighted when the focus is elsewhere.
    QPalette pal = palette();
    for (auto role : { QPalette::Highlight, QPalette::HighlightedText })
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    setPalette(pal);

    setItemDelegate(new TEvtGridDelegate(this));
    connect(qApp, &QApplication::focusChanged, this, &TGridEvents::FocusChanged);
}

void TGridEvents::SetHeadings(const QStringList &slHeadings)
{
    setHorizontalHeaderLabels(slHeadings);
    // Where the window's font falls back to a wider face than it was designed
    // with, a narrower cut of it keeps the headings whole in their fixed
    // columns.
    QHeaderView *pHead = horizontalHeader();
    QFont font = this->font();
    for (int nStretch :
        { int(QFont::Unstretched), int(QFont::SemiCondensed), int(QFont::Condensed) }) {
        font.setStretch(nStretch);
        const QFontMetrics fm(font);
        bool bFits = true;
        for (int c = 0; c < slHeadings.size() && c < columnCount(); ++c)
            bFits = bFits && fm.horizontalAdvance(slHeadings[c]) + 4 <= columnWidth(c);
        if (bFits)
            break;
    }
    pHead->setFont(font);
}

void TGridEvents::SetItemRows(int nItems)
{
    ++m_nQuiet;
    m_nItems = qMax(nItems, 0);
    const int nRows = qMax(m_nItems, 1);
    setRowCount(nRows);
    for (int r = 0; r < nRows; ++r) {
        for (int c = 0; c < 5; ++c) {
            QTableWidgetItem *p = item(r, c);
            if (!p) {
                p = new QTableWidgetItem;
                setItem(r, c, p);
            }
            Qt::ItemFlags fl = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (c == kColNotes && r < m_nItems)
                fl |= Qt::ItemIsEditable;
            p->setFlags(fl);
            p->setText(QString());
        }
    }
    --m_nQuiet;
}

void TGridEvents::SetCellText(int iItem, int nCol, const QString &s)
{
    if (QTableWidgetItem *p = item(iItem, nCol))
        p->setText(s);
}

QString TGridEvents::CellText(int iItem, int nCol) const
{
    const QTableWidgetItem *p = item(iItem, nCol);
    return p ? p->text() : QString();
}

void TGridEvents::ShowPlaceholder()
{
    SetItemRows(0);
    SetCellText(0, kColTime, QStringLiteral("No events"));
    for (int c = kColDuration; c <= kColNotes; ++c)
        SetCellText(0, c, QStringLiteral("---"));
}

QWidget *TGridEvents::Editor() const
{
    const QModelIndex cur = currentIndex();
    return cur.isValid() ? indexWidget(cur) : nullptr;
}

void TGridEvents::CloseEditor()
{
    if (QWidget *pEditor = Editor()) {
        commitData(pEditor);
        closeEditor(pEditor, QAbstractItemDelegate::NoHint);
    }
}

void TGridEvents::SetNotesEditing(bool bOn)
{
    const QModelIndex cur = currentIndex();
    if (bOn != m_bNotesEditing) {
        m_bNotesEditing = bOn;
        ++m_nQuiet;
        if (bOn) {
            setSelectionBehavior(QAbstractItemView::SelectItems);
            setEditTriggers(QAbstractItemView::AllEditTriggers);
            if (cur.isValid())
                selectionModel()->select(cur, QItemSelectionModel::ClearAndSelect);
        } else {
            CloseEditor();
            setEditTriggers(QAbstractItemView::NoEditTriggers);
            setSelectionBehavior(QAbstractItemView::SelectRows);
            if (cur.isValid())
                selectionModel()->select(
                    cur, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        --m_nQuiet;
    }
    if (bOn && cur.isValid() && (cur.flags() & Qt::ItemIsEditable) && !Editor())
        edit(cur);
}

int TGridEvents::Row() const
{
    const int r = currentRow();
    return r < 0 ? -1 : r + 1;
}

int TGridEvents::Col() const
{
    return currentColumn();
}

void TGridEvents::SetCurrentQuietly(int nCol, int nRow)
{
    ++m_nQuiet;
    setCurrentCell(nRow - 1, nCol);
    --m_nQuiet;
}

void TGridEvents::MoveTo(int nCol, int nRow)
{
    SetCurrentQuietly(nCol, nRow);
    emit SelectCell(nCol, nRow);
}

void TGridEvents::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableWidget::currentChanged(current, previous);
    if (m_nQuiet == 0 && current.isValid())
        emit SelectCell(current.column(), current.row() + 1);
}

QModelIndex TGridEvents::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex ix = QTableWidget::moveCursor(action, modifiers);
    // With whole rows selected the keys move between rows only: an arrow key
    // never lands in (and so never inverts) a Report cell.
    if (!m_bNotesEditing && ix.isValid())
        return ix.sibling(ix.row(), kColTime);
    return ix;
}

void TGridEvents::mousePressEvent(QMouseEvent *pEvent)
{
    const QModelIndex ix = indexAt(pEvent->position().toPoint());
    ++m_nQuiet;
    QTableWidget::mousePressEvent(pEvent);
    --m_nQuiet;
    if (!isEnabled())
        return;
    // Every click on a cell selects it again, also a second click on the
    // current cell (a second click on a Report cell inverts the flag again).
    if (ix.isValid()) {
        if (currentIndex() != ix)
            SetCurrentQuietly(ix.column(), ix.row() + 1);
        emit SelectCell(ix.column(), ix.row() + 1);
        emit GridMouseDown(ix.column(), ix.row() + 1);
    } else {
        emit GridMouseDown(-1, -1);
    }
}

void TGridEvents::mouseMoveEvent(QMouseEvent *pEvent)
{
    // Dragging does not move the current cell across rows: only clicks and
    // keys choose a cell.
    if (pEvent->buttons() != Qt::NoButton)
        return;
    QTableWidget::mouseMoveEvent(pEvent);
}

void TGridEvents::mouseDoubleClickEvent(QMouseEvent *pEvent)
{
    ++m_nQuiet;
    QTableWidget::mouseDoubleClickEvent(pEvent);
    --m_nQuiet;
    if (isEnabled())
        emit DblClick();
}

void TGridEvents::keyPressEvent(QKeyEvent *pEvent)
{
    // Keys that the editor did not use come here as well; the delegate has
    // reported those already.
    const QWidget *pFocus = QApplication::focusWidget();
    const bool bFromEditor = pFocus && pFocus != this && isAncestorOf(pFocus);
    if (!bFromEditor)
        emit KeyDown(pEvent->key());
    if (IsEnter(pEvent->key())) {
        pEvent->accept();
        return;
    }
    QTableWidget::keyPressEvent(pEvent);
}

bool TGridEvents::EditorKey(QKeyEvent *pEvent)
{
    const int nKey = pEvent->key();
    emit KeyDown(nKey);
    if (IsEnter(nKey) || nKey == Qt::Key_Escape)
        return true; // the editor stays open; the owner acted on Enter
    if (nKey == Qt::Key_Tab || nKey == Qt::Key_Backtab) {
        LeaveByTab(nKey == Qt::Key_Tab && !(pEvent->modifiers() & Qt::ShiftModifier));
        return true;
    }
    return false;
}

void TGridEvents::LeaveByTab(bool bForward)
{
    // Tab leaves the grid for the next control, as from any other control;
    // it does not walk the cells.
    QWidget *p = this;
    for (;;) {
        p = bForward ? p->nextInFocusChain() : p->previousInFocusChain();
        if (!p || p == this)
            return;
        if (p->window() == window() && !isAncestorOf(p) && p->isVisible() && p->isEnabled()
            && (p->focusPolicy() & Qt::TabFocus)) {
            p->setFocus(bForward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

bool TGridEvents::eventFilter(QObject *pWatched, QEvent *pEvent)
{
    // Closing the window counts as leaving the grid: typed notes are saved.
    if (pWatched == window() && pWatched != this) {
        if (pEvent->type() == QEvent::Close)
            emit GridExit();
        return false;
    }
    return QTableWidget::eventFilter(pWatched, pEvent);
}

void TGridEvents::FocusChanged(QWidget *pOld, QWidget *pNow)
{
    auto inGrid = [this](const QWidget *p) { return p && (p == this || isAncestorOf(p)); };
    // The focus going to another control, another window (a dialog that
    // may go on to load other days) or another program leaves the grid. A
    // window that is no longer visible is closing or being torn down: its
    // close has already been reported.
    if (inGrid(pOld) && !inGrid(pNow) && window()->isVisible())
        emit GridExit();
    if (!inGrid(pOld) && pNow == this && m_bNotesEditing) {
        // Back in the grid while editing notes: the editor is shown again.
        const QModelIndex cur = currentIndex();
        if (cur.isValid() && (cur.flags() & Qt::ItemIsEditable) && !Editor())
            edit(cur);
    }
}

TEvtGridDelegate::TEvtGridDelegate(TGridEvents *pGrid)
    : QStyledItemDelegate(pGrid)
    , m_pGrid(pGrid)
{
}

void TEvtGridDelegate::paint(
    QPainter *pPainter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyledItemDelegate::paint(pPainter, option, index);
    if (index.column() != TGridEvents::kColReport)
        return;
    const int nMark = m_pGrid->MarkOf(index.row() + 1);
    if (nMark == 2)
        return; // blank
    pPainter->drawPixmap(option.rect.left() + 10, option.rect.top(), ReportMark(nMark));
}

QWidget *TEvtGridDelegate::createEditor(
    QWidget *pParent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *pEdit = new QLineEdit(pParent);
    pEdit->setFrame(false);
    // The text goes into the cell as it is typed: a commit at any moment
    // copies what the user sees.
    auto *pSelf = const_cast<TEvtGridDelegate *>(this);
    connect(
        pEdit, &QLineEdit::textEdited, pSelf, [pSelf, pEdit] { emit pSelf->commitData(pEdit); });
    return pEdit;
}

bool TEvtGridDelegate::eventFilter(QObject *pEditor, QEvent *pEvent)
{
    if (pEvent->type() == QEvent::KeyPress) {
        if (m_pGrid->EditorKey(static_cast<QKeyEvent *>(pEvent)))
            return true;
    } else if (pEvent->type() == QEvent::MouseButtonDblClick) {
        m_pGrid->EditorDblClick();
    }
    return QStyledItemDelegate::eventFilter(pEditor, pEvent);
}

} // namespace dlv
