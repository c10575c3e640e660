// The hyperlink label: looks, and what a click does.

#include "o_LinkLabel.h"

#include <gtest/gtest.h>

#include <QTest>

#include <stdexcept>
#include <vector>

namespace {

// Records what the label hands to the desktop, and in which order things happen.
class LinkLabel : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = TqdLinkLabel::urlOpener;
        TqdLinkLabel::urlOpener = [this](const QUrl &url) {
            events.push_back("open " + url.toString().toStdString());
            return false; // failing shows nothing
        };
    }
    void TearDown() override { TqdLinkLabel::urlOpener = saved; }

    std::function<bool(const QUrl &)> saved;
    std::vector<std::string> events;
};

} // namespace

TEST_F(LinkLabel, FreshLabelLooksLikeALink)
{
    TqdLinkLabel label;
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_TRUE(label.font().underline());
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(label.LinkType(), ltURL);
    EXPECT_EQ(label.URL(), "");
    EXPECT_EQ(label.MailAddress(), "");
}

TEST_F(LinkLabel, ClickRunsTheClickEventThenTheLinkAction)
{
    const struct {
        TqdLinkType type;
        std::string url, mail, opened;
    } cases[] = {
        {ltURL, "https://www.example.org/x?y=1", "", "open https://www.example.org/x?y=1"},
        {ltURL, "www.example.org", "", "open http://www.example.org"},
        {ltURL, "", "someone@example.org", "open "},
        {ltMailAddress, "https://www.example.org", "someone@example.org", "open mailto:someone@example.org"},
        {ltMailAddress, "", "", "open mailto:"},
    };
    for (const auto &c : cases) {
        events.clear();
        TqdLinkLabel label;
        label.setText("caption");
        label.SetURL(c.url);
        label.SetMailAddress(c.mail);
        label.SetLinkType(c.type);
        QObject *sender = nullptr;
        label.OnClick = [&](QObject *s) {
            sender = s;
            events.push_back("click");
        };
        label.Click();
        EXPECT_EQ(events, (std::vector<std::string>{"click", c.opened})) << c.url << " / " << c.mail;
        EXPECT_EQ(sender, &label);
        EXPECT_EQ(label.text(), "caption");
    }
}

TEST_F(LinkLabel, FailingClickEventStopsTheLinkAction)
{
    TqdLinkLabel label;
    label.SetURL("https://www.example.org");
    label.OnClick = [](QObject *) { throw std::runtime_error("refused"); };
    EXPECT_THROW(label.Click(), std::runtime_error);
    EXPECT_TRUE(events.empty());
}

TEST_F(LinkLabel, MouseClickOpensTheLink)
{
    TqdLinkLabel label;
    label.setText("www.example.org");
    label.SetURL("https://www.example.org");
    label.resize(100, 13);
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(events, std::vector<std::string>{"open https://www.example.org"});
    QTest::mouseClick(&label, Qt::RightButton);
    EXPECT_EQ(events.size(), 1u);
}
