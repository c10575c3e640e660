// Decoding the banner pictures, and what broken input gives.

#include "o_Jpeg.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

QByteArray resource(const char *name)
{
    QFile f(QStringLiteral(TABULON_SOURCE_DIR "/resources/") + QString::fromLatin1(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace

TEST(Jpeg, DecodesTheBanners)
{
    const struct {
        const char *file;
        QSize size;
    } banners[] = {{"about-banner.jpg", {480, 83}}, {"connect-banner.jpg", {420, 70}}};
    for (const auto &b : banners) {
        const QByteArray bytes = resource(b.file);
        ASSERT_FALSE(bytes.isEmpty()) << b.file;
        EXPECT_LT(bytes.size(), 30 * 1024) << b.file;
        const QImage image = decodeJpeg(bytes);
        ASSERT_FALSE(image.isNull()) << b.file;
        EXPECT_EQ(image.size(), b.size);
        EXPECT_FALSE(image.isGrayscale()) << b.file;
        // Agrees with Qt's own reader to within rounding of the two decoders.
        const QImage reference = QImage::fromData(bytes, "JPG").convertToFormat(QImage::Format_RGB888);
        if (!reference.isNull()) {
            const QRgb a = image.pixel(10, 10), r = reference.pixel(10, 10);
            EXPECT_NEAR(qRed(a), qRed(r), 3);
            EXPECT_NEAR(qBlue(a), qBlue(r), 3);
        }
    }
}

TEST(Jpeg, BrokenInputGivesANullImage)
{
    const QByteArray good = resource("about-banner.jpg");
    ASSERT_FALSE(good.isEmpty());
    QByteArray badHeader = good;
    badHeader[2] = 0; // the first marker after SOI
    QByteArray garbledScan = good;
    for (qsizetype i = good.size() / 2; i < good.size() - 2; i += 7)
        garbledScan[i] = char(0xFF);
    const QByteArray inputs[] = {
        QByteArray(),
        QByteArray("not a picture"),
        good.left(2),
        good.left(200),             // header only
        good.left(good.size() / 2), // stops inside the picture data
        badHeader,
        garbledScan,
    };
    for (const QByteArray &in : inputs)
        EXPECT_TRUE(decodeJpeg(in).isNull()) << in.size() << " bytes";
}
