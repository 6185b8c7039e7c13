#pragma once

#include <algorithm>
#include <functional>
#include <vector>

#include "InkChoice.h"
#include "Picture.h"

// Every choice of colours for the inks kept marks kChooseInk: ascending
// combinations of the colours kept does not hold, in lexicographic order,
// the order in which the ink searches break ties. The brute force the
// searches are held to walks them.
template <class Kept>
void For_Each_Colour_Choice(const Kept& kept, const std::function<void(const std::vector<int>& chosen)>& visit) {
    const auto toChoose = static_cast<std::size_t>(std::count(kept.begin(), kept.end(), kChooseInk));
    std::vector<int> chosen;
    const std::function<void(int)> next = [&](int from) {
        if (chosen.size() == toChoose) {
            visit(chosen);
            return;
        }
        for (int n = from; n < kColourCount; ++n)
            if (std::find(kept.begin(), kept.end(), n) == kept.end()) {
                chosen.push_back(n);
                next(n + 1);
                chosen.pop_back();
            }
    };
    next(0);
}
