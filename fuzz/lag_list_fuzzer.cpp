// libFuzzer target: the lag list a user types (kavri-cli --lags, the desktop's "Lags") on
// arbitrary text, bounded by an arbitrary maximum order. The first byte chooses the maximum
// order; the rest is the text. Reading must never crash; a list it accepts must be ascending,
// distinct and within the orders a run can have, and a refused one must leave the form as it
// was. A list the bound accepts has every lag below the maximum order.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/lag_list.h"
#include "model/run_settings.h"

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "lag list: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const int maxOrder = 1 + data[0] % kavri::limits::kMaxOrder.max;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    kavri::ModelForm form;
    form.nLags = 1;
    form.lags[0] = 2;
    const kavri::ModelForm before = form;
    if (kavri::readLagList(text, form)) {
        if (!(form == before)) fail("a refused list changed the form");
        return 0;
    }
    if (form.nLags < 1 || form.nLags > kavri::kMaxLagListSize) fail("count out of range");
    for (int i = 0; i < form.nLags; ++i) {
        const int lag = form.lags[static_cast<std::size_t>(i)];
        if (lag < 1 || lag > kavri::limits::kMaxOrder.max - 1) fail("lag out of range");
        if (i > 0 && lag <= form.lags[static_cast<std::size_t>(i - 1)]) fail("not ascending");
    }
    if (!kavri::lagListConflict(form, maxOrder) &&
        form.lags[static_cast<std::size_t>(form.nLags - 1)] > maxOrder - 1) {
        fail("a lag at or above the maximum order passed");
    }
    return 0;
}
