// The resources that the `res` target carries: the images are where the program looks for them and
// have their sizes, and the help pages link only to pages and anchors that exist.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QUrl>

#include "res/resources.h"

namespace {

QString ReadResource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QStringList HelpPages()
{
    return QDir(":/help").entryList({"*.html"}, QDir::Files);
}

TEST(ResourcesTest, ToolbarImagesAreDistinct16By15Pictures)
{
    const char* paths[] = {kToolbarOpenPath, kToolbarSettingsPath, kToolbarClearWindowPath, kToolbarAboutPath};
    QList<QImage> images;
    for (const char* path : paths) {
        const QImage image(QString::fromLatin1(path));
        ASSERT_FALSE(image.isNull()) << path << " is missing";
        EXPECT_EQ(image.size(), QSize(16, 15)) << path;
        EXPECT_TRUE(image.hasAlphaChannel()) << path << " should let the toolbar show through";
        images.push_back(image.convertToFormat(QImage::Format_ARGB32));
    }
    for (int i = 0; i < images.size(); ++i)
        for (int j = i + 1; j < images.size(); ++j)
            EXPECT_NE(images[i], images[j]) << paths[i] << " looks like " << paths[j];
}

TEST(ResourcesTest, ApplicationIconComesInEverySize)
{
    const struct {
        const char* path;
        int size;
    } icons[] = {{kIcon16Path, 16}, {kIcon32Path, 32}, {kIcon48Path, 48}, {kIcon256Path, 256}};
    for (const auto& icon : icons) {
        const QImage image(QString::fromLatin1(icon.path));
        ASSERT_FALSE(image.isNull()) << icon.path << " is missing";
        EXPECT_EQ(image.size(), QSize(icon.size, icon.size)) << icon.path;
    }
    EXPECT_EQ(ApplicationIcon().availableSizes().size(), 4);
}

TEST(ResourcesTest, HelpIndexReachesEveryPage)
{
    const QUrl index(QString::fromLatin1(kHelpIndexUrl));
    ASSERT_EQ(index.scheme(), "qrc");
    const QString indexPath = ":" + index.path();
    const QString text = ReadResource(indexPath);
    ASSERT_FALSE(text.isEmpty()) << "no help index at " << indexPath.toStdString();
    for (const QString& page : HelpPages()) {
        if (page != "index.html") {
            EXPECT_TRUE(text.contains("href=\"" + page + "\"")) << page.toStdString() << " is not in the contents";
        }
    }
}

TEST(ResourcesTest, HelpLinksLeadToPagesAndAnchorsThatExist)
{
    const QStringList pages = HelpPages();
    ASSERT_GE(pages.size(), 7);
    const QRegularExpression link(R"(\b(href|src)="([^"]*)\")");
    for (const QString& page : pages) {
        const QString text = ReadResource(":/help/" + page);
        EXPECT_TRUE(text.contains("<title>")) << page.toStdString() << " has no title";
        for (auto match = link.globalMatch(text); match.hasNext();) {
            const QUrl target(match.next().captured(2));
            if (!target.scheme().isEmpty())
                continue;
            const QString file = target.path().isEmpty() ? page : target.path();
            const QString targetText = ReadResource(":/help/" + file);
            EXPECT_FALSE(targetText.isEmpty())
                << page.toStdString() << " links to a missing " << file.toStdString();
            if (target.hasFragment()) {
                EXPECT_TRUE(targetText.contains("name=\"" + target.fragment() + "\""))
                    << page.toStdString() << " links to a missing anchor " << target.toString().toStdString();
            }
        }
    }
}

}  // namespace
