#include "app/texts.h"

#include <strings.h>

namespace kell {

std::string* LocalisedTexts::Find(std::string_view key) {
    for (const TextKey& k : kTextKeys) {
        std::string_view name(k.name);
        if (name.size() == key.size() && strncasecmp(name.data(), key.data(), key.size()) == 0)
            return &(this->*k.field);
    }
    return nullptr;
}

const std::string* LocalisedTexts::Find(std::string_view key) const {
    return const_cast<LocalisedTexts*>(this)->Find(key);
}

}  // namespace kell
