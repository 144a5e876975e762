#pragma once
// Every window, dialog and sheet the program has, built with representative data, so the whole
// interface can be rendered and reviewed at a glance (tesk-sms-gallery) and checked by tests.
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace tesk::ui {

struct GalleryEntry {
    QString name;  // file name without extension, e.g. "main_window"
    std::function<std::unique_ptr<QWidget>()> make;
};

QList<GalleryEntry> Gallery_Entries();

}  // namespace tesk::ui
