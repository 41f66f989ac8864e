/* Placeholder until the reader lands: brackets the file and imports nothing. */
#include "file_reader.h"

#include "zamo_host.h"

bool ReadVCardCards(const WString&, const std::function<void(const CardLines&)>&) {
    return false;
}

void ImportVCardFile(WString path) {
    AddinZamo_ChangesStart();
    ReadVCardCards(path, [](const CardLines&) {});
    AddinZamo_ChangesEnd();
}
