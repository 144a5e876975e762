#include "gallery/gallery.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(Gallery, RendersEveryEntryToASensiblePng) {
    QTemporaryDir out;
    QProcess gallery;
    gallery.start(QStringLiteral(GALLERY_PROGRAM), {out.path()});
    ASSERT_TRUE(gallery.waitForFinished(120000));
    EXPECT_EQ(gallery.exitCode(), 0) << gallery.readAllStandardError().toStdString();

    const QList<tesk::ui::GalleryEntry> entries = tesk::ui::Gallery_Entries();
    ASSERT_FALSE(entries.isEmpty());
    QStringList names;
    for (const tesk::ui::GalleryEntry& entry : entries) {
        EXPECT_FALSE(names.contains(entry.name))
            << "two entries named " << entry.name.toStdString();
        names.append(entry.name);
        const QImage image(out.filePath(entry.name + QStringLiteral(".png")));
        ASSERT_FALSE(image.isNull()) << entry.name.toStdString();
        EXPECT_GE(image.width(), 150) << entry.name.toStdString();
        EXPECT_GE(image.height(), 60) << entry.name.toStdString();
        // Not a blank canvas: some pixels differ from the first one.
        const QRgb first = image.pixel(0, 0);
        bool varied = false;
        for (int y = 0; y < image.height() && !varied; y += 3) {
            for (int x = 0; x < image.width() && !varied; x += 3) {
                varied = image.pixel(x, y) != first;
            }
        }
        EXPECT_TRUE(varied) << entry.name.toStdString() << " rendered blank";
    }
}

}  // namespace
