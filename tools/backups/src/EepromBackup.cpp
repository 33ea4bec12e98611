#include <backups/Backups.h>
#include <backups/SetReads.h>

#include <door/door.h>

namespace backups {

std::optional<Backup> backUpEeprom(const QString& device, const QString& firmware, QString& why,
                                   std::optional<Words>& read) {
    const SetRead eeprom = readSensorSet(ORDER_READ_EEPROM);
    read = eeprom.words;
    if (!eeprom.words) {
        why = eeprom.problem;
        return std::nullopt;
    }
    return save(*eeprom.words, device, firmware, QDateTime::currentDateTime(), why);
}

std::optional<Backup> backUpEeprom(const QString& device, const QString& firmware, QString& why) {
    std::optional<Words> read;
    return backUpEeprom(device, firmware, why, read);
}

} // namespace backups
