#include "data/series_layout.h"

#include "data/plain_format.h"

namespace kavri {

SeriesLayout seriesLayout(std::string_view text, const SeriesChoice& choice) {
    SeriesLayout layout;
    layout.from = textAfterLines(text, choice.skipLines);
    const std::string_view firstLine = firstContentLine(layout.from.text);
    const bool columnNamed = !choice.column.empty();
    Separator separator = separatorOf(firstLine);
    const std::size_t start = firstLine.find_first_not_of(" \t");
    const bool quotedHeader =
        separator == Separator::kNone && start != std::string_view::npos && firstLine[start] == '"';
    // Blank- or tab-separated numbers are the plain format; so is a first line of numbers
    // written with decimal commas, which then fail as values of that format.
    layout.plain = !columnNamed && !quotedHeader &&
                   (separator == Separator::kNone ||
                    (separator != Separator::kSemicolon && lineIsPlain(firstLine)));
    layout.separator = separator == Separator::kNone ? Separator::kBlanks : separator;
    return layout;
}

}  // namespace kavri
