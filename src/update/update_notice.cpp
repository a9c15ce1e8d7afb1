#include "update/update_notice.h"

#include "update/update_texts.h"

namespace update {

UpdateNotice updateNotice(const UpdateCheck& check, std::time_t now) {
    const UpdateResult* result = check.result();
    if (result == nullptr) {
        return {};
    }
    return UpdateNotice{updateMessage(*result, now), result->downloadAddress};
}

}  // namespace update
