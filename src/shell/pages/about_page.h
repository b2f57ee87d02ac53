#pragma once
// The "About" tab page: builds its controls; the handlers live in the controllers.

#include <QStringList>
#include <QWidget>
#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;

namespace kestrave {

class TPCheck;
class TjanWebLabel;

class AboutPage : public QWidget {
    Q_OBJECT
public:
    explicit AboutPage(QWidget* parent = nullptr);
    // The shell area owns this page. Only that area's controllers (the friends below) reach its controls; the
    // rest of the window uses its functions.
    friend class ShellController;

private:
    TPCheck* Formmessage;  // bring the window to the front with every message
    // Warn before a project is saved or loaded; the warning's "do not show again" unticks it.
    TPCheck* Projectmessages;
    TPCheck* Checkupdates;  // look for a newer version at start-up (developer mode)
    QLabel* logolabel;      // the program's name and version
    QLabel* Label22;        // the memory the program uses
    QLabel* Developersmode;
    // The main window's hidden memo: the installed video codecs, the memory report, the
    // developer's read-outs. Shown in the developer mode.
    QPlainTextEdit* Memo1;
    // The web links: the sponsor (picture and name), the high-bit capture tool, the SER capture
    // program, the version-check server and the program's home page (two links). The program
    // names no address of its own: each is a stored value of the program INI file
    // ("<link>.UrlOrEmail" in section "Form"), empty until someone sets it there. A link without
    // an address says so in its hint and opens nothing.
    TjanWebLabel* Quindarselimage;
    TjanWebLabel* Quindarsellabel;
    TjanWebLabel* Image7;
    TjanWebLabel* Image6;
    TjanWebLabel* Image8;
    TjanWebLabel* RxLabel1;
    TjanWebLabel* janWebLabel1;
    // Opens an error report in the mail program; its click handler writes the link.
    TjanWebLabel* MailLabel;
    // Hidden: the address of the version file the update check fetches. It is a stored value of
    // the program INI file, so the server can move without a new build; none is set by default.
    QLabel* VersionNo;

public:
    // What other parts of the window read or set here.
    // The developer mode: Checkupdates, Developersmode and Memo1 shown, or Developersmode hidden;
    // the mode is on while Developersmode shows.
    void showDeveloperControls();
    void hideDeveloperControls();
    bool developerControlsShown() const;
    // Label22 painted at once (start-up shows the memory before the window is drawn).
    void repaintMemoryUsage();
    // Whether a project's save and load warn first, and the warning turned off for good.
    bool projectWarningWanted() const;
    void stopProjectWarning();
    // The memory the program uses (Label22).
    void showMemoryUsage(const std::string& text);
    // The mail link of the error report, written when it is clicked.
    void setErrorReportLink(const std::string& link);
    // The memory report in Memo1, in place of what it held.
    void showMemoryReport(const std::vector<std::string>& lines);
    // Start-up: whether a newer version is looked for (Checkupdates), the address of the version
    // file it fetches (VersionNo), the lines added to Memo1 (the installed video codecs), the
    // program's name and version in logolabel.
    bool checksForUpdates() const;
    QString versionFileAddress() const;
    void appendMemoLines(const std::vector<std::string>& lines);
    void showVersionCaption(const QString& caption);
    // The web links' addresses as stored properties of the form storage.
    static QStringList linkStoredProps();

signals:
    // "Report an error by mail" was clicked.
    void errorReportRequested();
};

}  // namespace kestrave
