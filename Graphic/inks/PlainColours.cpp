#include "PlainColours.h"

#include "InkSetProxy.h"

std::vector<int> Plain_Colours_Shown(const std::vector<OkLab>& colours,
                                     const std::vector<double>& weights) {
    double total = 0;
    for (double w : weights)
        total += w;
    std::vector<int> shown;
    for (int number : kPlainColours) {
        const OkLab& plain = Cpc_Colours_Lab()[static_cast<std::size_t>(number)];
        double near = 0;
        for (std::size_t i = 0; i < colours.size(); ++i) {
            if (Cell_Distance(colours[i], plain) <= kPlainReach * kPlainReach)
                near += weights[i];
        }
        if (total > 0 && near > kPlainShare * total)
            shown.push_back(number);
    }
    return shown;
}

bool Is_Grey_Picture(const std::vector<OkLab>& colours, const std::vector<double>& weights) {
    double total = 0, grey = 0;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        total += weights[i];
        if (colours[i].a * colours[i].a + colours[i].b * colours[i].b <= kNeutralChroma * kNeutralChroma)
            grey += weights[i];
    }
    return total > 0 && grey > kNeutralShare * total;
}
