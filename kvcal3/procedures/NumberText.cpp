#include "procedures/NumberText.h"

#include <algorithm>
#include <clocale>

#include "kvcom3/VbTypes.h"

namespace kvcal3 {

std::string userNumberText(float value) {
    std::string text = kvcom3::singleToText(value);
    const std::lconv* conventions = std::localeconv();
    const char separator =
        (conventions && conventions->decimal_point && conventions->decimal_point[0] != '\0')
            ? conventions->decimal_point[0]
            : '.';
    std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

}  // namespace kvcal3
