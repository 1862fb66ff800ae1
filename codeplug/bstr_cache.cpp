#include "codeplug/bstr_cache.h"

#include "platform/ansi.h"

BSTR BstrCache::get(std::string_view text) {
    auto found = texts_.find(text);
    if (found == texts_.end()) found = texts_.emplace(text, to_bstr(text)).first;
    return found->second.get();
}
