#pragma once
// TqdLinkLabel: a label drawn like a hyperlink (blue, underlined, hand cursor).
// A click runs the user's click event first, then opens URL in the user's web
// browser (ltURL) or starts a mail message to MailAddress (ltMailAddress).

#include <QLabel>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <string>

enum TqdLinkType : std::uint8_t { ltURL = 0, ltMailAddress = 1 };

class TqdLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TqdLinkLabel(QWidget *parent = nullptr);

    const std::string &URL() const { return FURL; }
    void SetURL(const std::string &url) { FURL = url; }
    const std::string &MailAddress() const { return FMailAddress; }
    void SetMailAddress(const std::string &address) { FMailAddress = address; }
    TqdLinkType LinkType() const { return FLinkType; }
    void SetLinkType(TqdLinkType type) { FLinkType = type; }

    // The user's click event; receives the label. When it throws, the link
    // action does not happen and the error goes on to the caller.
    std::function<void(QObject *sender)> OnClick;

    // What a click does: the click event, then the link action.
    virtual void Click();

    // Hands an address to the desktop (browser, mail program). Its result is
    // not examined. Tests replace it to see the calls.
    static std::function<bool(const QUrl &)> urlOpener;
    static void openUrl(const QUrl &url);
    // The URL that a web address text stands for ("" stays empty).
    static QUrl webUrl(const std::string &address);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    std::string FURL;
    std::string FMailAddress;
    TqdLinkType FLinkType = ltURL;
    bool FPressed = false;
};
