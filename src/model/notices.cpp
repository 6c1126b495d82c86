#include "model/notices.h"

namespace kavri {

Notice noEffectiveObservationsNotice() {
    return Notice{"The number of effective observation are zero", kApplicationName,
                  NoticeIcon::kNone};
}

Notice noForecastsNotice() { return errorNotice("Number of forecast are zero"); }

}  // namespace kavri
