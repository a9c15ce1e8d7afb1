#include "app/elevation.h"

namespace app {

bool shouldOfferElevation(const ElevationFacts& facts) {
    return !facts.offeredForThisScan && facts.offerSetting && facts.fileTableRefused &&
           facts.wholeVolume;
}

std::u16string restartParameters(std::u16string_view rootPath) {
    if (rootPath.empty()) {
        return {};
    }
    // Backslashes count only before a quote: inside the path they stand as they are, and only
    // the run that meets the closing quote is doubled (a path cannot contain a quote itself).
    std::size_t trailing = 0;
    while (trailing < rootPath.size() && rootPath[rootPath.size() - 1 - trailing] == u'\\') {
        ++trailing;
    }
    std::u16string parameters = u"\"";
    parameters.append(rootPath);
    parameters.append(trailing, u'\\');
    parameters += u'"';
    return parameters;
}

}  // namespace app
