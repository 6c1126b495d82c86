#include "model/notices.h"

namespace kavri {

Notice noEffectiveObservationsNotice() {
    return Notice{"The number of effective observation are zero", kApplicationName,
                  NoticeIcon::kNone};
}

Notice noForecastsNotice() { return errorNotice("Number of forecast are zero"); }

Notice fileNotCreatedNotice(const std::filesystem::path& path) {
    return Notice{path.string() + " could not be opened for writing", kErrorCaption,
                  NoticeIcon::kStop,
                  "Check that its directory exists and that you may write there."};
}

Notice fileNotWrittenNotice(const std::filesystem::path& path) {
    return Notice{path.string() + " could not be written completely", kErrorCaption,
                  NoticeIcon::kStop, "Check the free space on its disk."};
}

}  // namespace kavri
