#include "model/output_path_error.h"

#include <string>

namespace kavri {

namespace {

class OutputPathCategory final : public std::error_category {
 public:
    const char* name() const noexcept override { return "kavri output path"; }
    std::string message(int code) const override {
        switch (static_cast<OutputPathRefusal>(code)) {
            case OutputPathRefusal::kSocket:
                return "it is a socket, not a regular file";
            case OutputPathRefusal::kBlockDevice:
                return "it is a block device, not a regular file";
            case OutputPathRefusal::kOtherKind:
                break;
        }
        return "it is not a regular file";
    }
};

}  // namespace

const std::error_category& outputPathCategory() {
    static const OutputPathCategory category;
    return category;
}

std::error_code makeError(OutputPathRefusal refusal) {
    return {static_cast<int>(refusal), outputPathCategory()};
}

bool namesSomethingElse(std::error_code error) {
    return error.category() == outputPathCategory() ||
           error == std::make_error_code(std::errc::is_a_directory);
}

}  // namespace kavri
