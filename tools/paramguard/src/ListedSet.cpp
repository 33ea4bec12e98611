#include <paramguard/ListedSet.h>

#include "CompareWindow.h"
#include "ParameterSet.h"

#include <platform/attach.h>

namespace paramguard {

ListedSet listedSet(int panel) {
    const ParameterSet shown = panelSet(panel);
    QWidget* widget = platform::panelWidget(panel);
    const CompareWindow* compared = widget ? widget->findChild<CompareWindow*>() : nullptr;
    const auto read = [compared](Column column, int word) -> std::optional<int> {
        const std::optional<ParameterSet> set =
            compared ? compared->column(column) : std::optional<ParameterSet>();
        return set ? std::optional((*set)[word]) : std::nullopt;
    };
    ListedSet listed;
    for (int word = 0; word < kWords; ++word)
        listed.words.push_back({QLatin1String(kParameters[word].name), shown[word],
                                read(kRamColumn, word), read(kEepromColumn, word),
                                read(kFileColumn, word)});
    if (compared && compared->column(kFileColumn))
        listed.file = compared->file();
    return listed;
}

} // namespace paramguard
