#include "gallery/gallery.h"

#include "gallery/gallery_parts.h"

namespace tesk::ui {

QList<GalleryEntry> Gallery_Entries() {
    return Gallery_Shell_Entries() + Gallery_Composer_Entries() + Gallery_Store_Entries() +
           Gallery_Device_Entries() + Gallery_Phone_Entries() + Gallery_Sending_Entries();
}

}  // namespace tesk::ui
