#pragma once

#include <QPixmap>
#include <QString>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <functional>

class QKeyEvent;

namespace dlv {

// The three 16 x 16 report marks of the event list: 0 a red tick, 1 a black
// cross, 2 blank. Made once; main thread.
const QPixmap &ReportMark(int nIndex);

// The event list (gridEvents): a heading row and one row per event or voice
// note, five fixed columns. Rows are numbered as in the design: row 0 is the
// heading, so item i stands on row i + 1 (table row i). The grid reports what
// the user does through its signals and leaves every decision to the main
// window, which owns it. Main thread only.
class TGridEvents : public QTableWidget
{
    Q_OBJECT
public:
    static constexpr int kColTime = 0;
    static constexpr int kColDuration = 1;
    static constexpr int kColLevel = 2;
    static constexpr int kColNotes = 3;
    static constexpr int kColReport = 4;
    static constexpr int kRowHeight = 18;

    explicit TGridEvents(QWidget *pParent = nullptr);

    void SetHeadings(const QStringList &slHeadings);
    // Rows holding items (the placeholder row of an empty day holds none).
    void SetItemRows(int nItems);
    int ItemRows() const { return m_nItems; }
    void SetCellText(int iItem, int nCol, const QString &s);
    QString CellText(int iItem, int nCol) const;
    void ShowPlaceholder();

    // Whole-row selection (off) or notes editing (on): single cells, with the
    // editor always open in the current Notes cell.
    void SetNotesEditing(bool bOn);
    bool NotesEditing() const { return m_bNotesEditing; }

    // Current cell in design numbering (row 0 = heading); -1 when none.
    int Row() const;
    int Col() const;
    // Makes (nCol, nRow) current without reporting it.
    void SetCurrentQuietly(int nCol, int nRow);
    // Makes (nCol, nRow) current and reports it through SelectCell, as a move
    // by the user would, even when it is current already.
    void MoveTo(int nCol, int nRow);

    // The report mark (0, 1 or 2) of a row, asked at every drawing.
    using TMarkFn = std::function<int(int nRow)>;
    void SetMarkSource(TMarkFn fn) { m_fnMark = std::move(fn); }
    int MarkOf(int nRow) const { return m_fnMark ? m_fnMark(nRow) : 2; }

    // The day whose items the rows show (empty: none); the main window uses it
    // so that texts typed for one day never land in another.
    void SetDayKey(const QString &s) { m_sDayKey = s; }
    const QString &DayKey() const { return m_sDayKey; }

    // The in-cell editor, when one is open.
    QWidget *Editor() const;

    // Called by the editor's delegate for every key pressed in the editor;
    // true when the grid took the key.
    bool EditorKey(QKeyEvent *pEvent);
    void EditorDblClick() { emit DblClick(); }

signals:
    // A cell became current by the user's choice (click, key, Enter move).
    void SelectCell(int nCol, int nRow);
    // Any key pressed in the grid or its editor, before the key acts.
    void KeyDown(int nKey);
    // A mouse button was pressed on a cell, after the grid has handled it.
    void GridMouseDown(int nCol, int nRow);
    void FixedCellClick(int nCol);
    void DblClick();
    // The input focus left the grid (and its editor), or the window is being
    // closed.
    void GridExit();

protected:
    void mousePressEvent(QMouseEvent *pEvent) override;
    void mouseMoveEvent(QMouseEvent *pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent *pEvent) override;
    void keyPressEvent(QKeyEvent *pEvent) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    // Typing does not jump to a row whose text starts with the letters.
    void keyboardSearch(const QString &) override { }
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override;

private:
    void FocusChanged(QWidget *pOld, QWidget *pNow);
    void CloseEditor();
    void LeaveByTab(bool bForward);

    TMarkFn m_fnMark;
    QString m_sDayKey;
    int m_nItems = 0;
    int m_nQuiet = 0; // > 0: current-cell changes are not reported
    bool m_bNotesEditing = false;
};

// Draws the report marks and gives the Notes column its editor, which writes
// into the cell as it is typed (so the texts are in the cells whenever they
// are copied) and hands every key to the grid first. Owned by its grid.
class TEvtGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TEvtGridDelegate(TGridEvents *pGrid);

    void paint(QPainter *pPainter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *pParent, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *pEditor, QEvent *pEvent) override;

private:
    TGridEvents *m_pGrid;
};

} // namespace dlv
