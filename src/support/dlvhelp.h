#pragma once

#include <QString>
#include <QWidget>

class QKeyEvent;
class QPushButton;
class QTextBrowser;
class QUrl;

namespace dlv {

// One topic item of the main window's Help menu: the menu item's component
// name and the help page it opens, relative to the "help/" folder.
struct THelpTopic
{
    const char *pszMenuItem;
    const char *pszPage;
};

inline constexpr THelpTopic aHelpTopics[] = {
    { "menuHelpOverview", "overview.html" },
    { "menuHelpSlmConfig", "meter-config/index.html" },
    { "menuHelpDownload", "downloading/index.html" },
    { "menuHelpTH", "ui/time-history.html" },
    { "menuHelpEvents", "ui/events.html" },
    { "menuHelpPrint", "printing/index.html" },
    { "menuHelpClipboard", "exporting/clipboard.html" },
    { "menuHelpHTML", "exporting/html.html" },
    { "menuHelpCSV", "exporting/csv.html" },
    { "menuHelpFileMan", "fileman.html" },
    { "menuHelpGlossary", "glossary.html" },
};

// Pages opened by the Help buttons of the Data Folders and export dialogs.
inline constexpr const char *kHelpDataFolders = "fileman.html";
inline constexpr const char *kHelpExport = "exporting/index.html";

// The page of a Help menu item, by the item's component name; empty when the
// name is not one of the topic items.
QString HelpPageFor(const QString &sMenuItem);

// The help window: the table of contents (help/contents.html) on the left and
// one topic page on the right. Created once at start-up and kept until exit;
// ShowHelp shows it without blocking, "Close" and Escape only hide it. It
// belongs to the window it is centred on (if any) and lives on the main thread.
class TformHelp : public QWidget
{
    Q_OBJECT
public:
    // sProgDir: the program folder holding "help/", with a trailing separator
    // (a missing one is added). pCentreOn: the window the help window is
    // centred on when first shown and that owns it; may be null.
    explicit TformHelp(const QString &sProgDir, QWidget *pCentreOn = nullptr);

    // Opens the contents in the left pane and sHelpUrl (a page relative to
    // the help folder, "/" separated, optionally with a #fragment) in the
    // right one, then shows the window, or raises it when already shown.
    void ShowHelp(const QString &sHelpUrl);

protected:
    void keyPressEvent(QKeyEvent *pEvent) override;

private:
    void CreateControls();
    void btnCloseClick();
    // The contents pane only ever shows the contents page: any other address
    // chosen there is opened in the topic pane instead.
    void browserContentsBeforeNavigate2(const QUrl &url);
    void browserBeforeNavigate2(const QUrl &url);
    // Web and mail addresses go to the desktop; true when url was one.
    static bool OpenExternal(const QUrl &url);
    // Opens url in pane, reading the page again even when it is shown already.
    static void LoadPane(QTextBrowser *pPane, const QUrl &url);
    void PlaceWindow();
    void AttachToOwner();

    QString sHelpDir; // ends with "/"
    QWidget *pCentreOn = nullptr;
    bool bPlaced = false;

    QTextBrowser *browserContents = nullptr;
    QTextBrowser *browser = nullptr;
    QWidget *panelBtns = nullptr;
    QWidget *panelBtnsRight = nullptr;
    QPushButton *btnClose = nullptr;
};

} // namespace dlv
