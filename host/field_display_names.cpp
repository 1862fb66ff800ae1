#include "host/field_display_names.h"

#include "codeplug/layout.h"
#include "host/command_error.h"
#include "platform/ansi.h"
#include "platform/unique_variant.h"
#include "resourcemanager/resourcemanager.h"

FieldDisplayNames::FieldDisplayNames(const std::string& language) {
    std::u16string wide;
    if (!try_from_utf8(language, wide, ill_formed::refuse)) throw CommandError("the language's name is not UTF-8 text");
    unique_variant languageVariant = make_bstr_variant(wide);
    names_.reserve(kFieldNameCount);
    for (LONG id = 0; id < kFieldNameCount; ++id) {
        unique_variant name;
        HRESULT status = GetFieldName(id, languageVariant.get(), name.put());
        if (status == RESOURCEMANAGER_E_UNKNOWNLANGUAGE)
            throw CommandError("the resource manager has no display names in \"" + language +
                               "\"; give --language English or German");
        if (status == E_OUTOFMEMORY) throw std::bad_alloc();
        std::string text;
        if (FAILED(status) || name.vt() != VT_BSTR ||
            !try_to_utf8({name.get()->bstrVal, SysStringLen(name.get()->bstrVal)}, text, ill_formed::replace) ||
            text.empty())
            text = FieldName(id);
        names_.push_back(std::move(text));
    }
}

std::string FieldDisplayNames::operator()(LONG id) const {
    if (id >= 0 && id < static_cast<LONG>(names_.size())) return names_[static_cast<std::size_t>(id)];
    return "field " + std::to_string(id);
}
