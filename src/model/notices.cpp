#include "model/notices.h"

#include <utility>

#include "model/output_path_error.h"

namespace kavri {

Notice noEffectiveObservationsNotice() {
    return Notice{"The number of effective observation are zero", kApplicationName,
                  NoticeIcon::kNone,
                  "Orders 1 to the maximum order - 1 are fitted, so a maximum order of 1 leaves no "
                  "autoregressive order to try. Choose a maximum order of 2 or more."};
}

Notice notFiniteNotice(std::string detail) {
    return Notice{"The estimation gave a result that is not a finite number", kErrorCaption,
                  NoticeIcon::kStop, std::move(detail)};
}

Notice seriesTooLargeNotice(std::string detail) {
    return Notice{"The values of the series are too large to be estimated", kErrorCaption,
                  NoticeIcon::kStop, std::move(detail)};
}

Notice seriesTooSmallNotice(std::string detail) {
    return Notice{"The values of the series are too small to be estimated", kErrorCaption,
                  NoticeIcon::kStop, std::move(detail)};
}

Notice noForecastsNotice() {
    return Notice{"Number of forecast are zero", kErrorCaption, NoticeIcon::kStop,
                  "The fitness MSE scores the one-step forecasts of the held-out values, and none "
                  "are held out. Hold out some values (the number of predictions) or choose the "
                  "fitness AIC."};
}

Notice fileNotCreatedNotice(const std::filesystem::path& path, std::error_code error) {
    return Notice{
        path.string() + " could not be opened for writing", kErrorCaption, NoticeIcon::kStop,
        error.message() +
            (namesSomethingElse(error)
                 ? ". Move it away or name another file: only a regular file, a FIFO or a "
                   "character device is written."
                 : ". Check that its directory exists and that you may write there.")};
}

Notice fileNotWrittenNotice(const std::filesystem::path& path, std::error_code error,
                            bool earlierFile) {
    return Notice{path.string() + " could not be written completely", kErrorCaption,
                  NoticeIcon::kStop,
                  error.message() +
                      (earlierFile ? ". The earlier file was left as it was"
                                   : ". Nothing was written under that name") +
                      "; check the free space on its disk."};
}

}  // namespace kavri
