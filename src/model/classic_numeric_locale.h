#pragma once

// Numbers in the series file, the result texts and the two result files are written with a
// decimal point whatever the user's locale. A front end (a GUI toolkit in particular) may have
// switched the process to the system locale, where "%le" would expect and "%f" would write a
// decimal comma; so a run reads and formats in the "C" numeric locale on its own thread, and
// restores the thread's previous locale when it ends.

#include <locale.h>

namespace kavri {

class ClassicNumericLocale {
 public:
    ClassicNumericLocale() : classic_(newlocale(LC_NUMERIC_MASK, "C", nullptr)) {
        if (classic_ != nullptr) {
            previous_ = uselocale(classic_);
        }
    }
    ClassicNumericLocale(const ClassicNumericLocale&) = delete;
    ClassicNumericLocale& operator=(const ClassicNumericLocale&) = delete;
    ~ClassicNumericLocale() {
        if (classic_ != nullptr) {
            uselocale(previous_);
            freelocale(classic_);
        }
    }

 private:
    locale_t classic_;
    locale_t previous_ = nullptr;
};

}  // namespace kavri
