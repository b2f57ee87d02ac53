#pragma once
// A label that opens its link: underlined blue text with the hand cursor; a click runs `OnClick`
// first (which may set the link) and then hands `UrlOrEmail`, when set, to the desktop, so a mail
// address opens the mail program and a web address the browser.

#include <QLabel>
#include <QUrl>

#include <functional>

namespace kestrave {

class TjanWebLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString UrlOrEmail READ UrlOrEmail WRITE setUrlOrEmail)

public:
    // Opens a link; QDesktopServices::openUrl unless a test puts its own in place.
    using Opener = std::function<bool(const QUrl&)>;

    explicit TjanWebLabel(const QString& text = {}, QWidget* parent = nullptr);

    QString UrlOrEmail() const { return urlOrEmail_; }
    void setUrlOrEmail(const QString& target) { urlOrEmail_ = target; }
    void setOpener(Opener opener) { opener_ = std::move(opener); }

signals:
    void OnClick(QObject* Sender);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString urlOrEmail_;
    Opener opener_;
};

}  // namespace kestrave
