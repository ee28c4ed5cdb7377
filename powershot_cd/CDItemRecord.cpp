#include "powershot_cd/CDItemRecord.h"

#include "powershot_cd/CDRecords.h"

namespace vostrel {

std::string CDItemName(const cdItemInfo& record) {
  return CDRecordText(record.Name, sizeof record.Name);
}

} // namespace vostrel
