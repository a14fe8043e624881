#include "config/storage/FileError.h"

#include "config/storage/AtomicFile.h"

namespace dravel::config {

std::string fileErrorMessage(std::error_code cause) {
    if (cause == copyNotRestored())
        return "Die Datei fehlt; die Kopie einer abgebrochenen Speicherung kann nicht an ihre "
               "Stelle gelegt werden (Ordner schreibgeschützt?)";
    if (cause == std::errc::permission_denied || cause == std::errc::operation_not_permitted ||
        cause == std::errc::read_only_file_system || cause == std::errc::is_a_directory ||
        cause == notARegularFile())
        return "Dateizugriff verweigert";
    if (cause == std::errc::not_enough_memory) return "Zu wenig Arbeitsspeicher";
    if (cause == std::errc::no_space_on_device || cause == std::errc::file_too_large)
        return "Zu wenig Speicherplatz";
    if (cause == std::errc::no_such_file_or_directory) return "Datei nicht gefunden";
    if (cause == std::errc::too_many_files_open) return "Zu viele geöffnete Dateien";
    return "E/A-Fehler " + std::to_string(cause.value());
}

}  // namespace dravel::config
