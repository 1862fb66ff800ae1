#include "resourcemanager/resourcemanager.h"

#include <optional>
#include <string_view>
#include <utility>

#include "platform/unique_bstr.h"
#include "resourcemanager/display_tables.h"
#include "resourcemanager/language.h"

namespace {

// All of the BSTR's characters: a value may carry embedded NULs.
std::u16string_view characters(BSTR text) noexcept { return {text, SysStringLen(text)}; }

std::optional<Language> language_of(const VARIANT& language) noexcept {
    return FindLanguage(characters(language.bstrVal));
}

const FieldDisplay* find_field(LONG id) noexcept {
    std::span<const FieldDisplay> fields = FieldDisplays();
    if (id < 0 || static_cast<std::size_t>(id) >= fields.size()) return nullptr;
    return &fields[static_cast<std::size_t>(id)];
}

std::optional<std::u16string_view> on_off_word(LONG id, std::u16string_view value, Language language) noexcept {
    const FieldDisplay* field = find_field(id);
    if (field == nullptr || !field->onOff) return std::nullopt;
    for (const ChoiceWord& word : ChoiceWords())
        if (word.value == value) return word.words[index_of(language)];
    return std::nullopt;
}

[[nodiscard]] HRESULT try_copy(std::u16string_view text, unique_bstr& copy) noexcept {
    copy.reset(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    return copy ? S_OK : E_OUTOFMEMORY;
}

[[nodiscard]] HRESULT try_field_name(LONG id, const VARIANT* language, unique_bstr& name) noexcept {
    if (language == nullptr) return E_POINTER;
    if (language->vt != VT_BSTR) return E_INVALIDARG;
    std::optional<Language> chosen = language_of(*language);
    if (!chosen) return RESOURCEMANAGER_E_UNKNOWNLANGUAGE;
    const FieldDisplay* field = find_field(id);
    if (field == nullptr) return DISP_E_BADINDEX;
    return try_copy(field->names[index_of(*chosen)], name);
}

[[nodiscard]] HRESULT try_choice_text(LONG id, const VARIANT* english, const VARIANT* value, const VARIANT* language,
                                      unique_bstr& text) noexcept {
    if (english == nullptr || value == nullptr || language == nullptr) return E_POINTER;
    if (value->vt != VT_BSTR || language->vt != VT_BSTR) return E_INVALIDARG;
    std::u16string_view shown = characters(value->bstrVal);
    if (std::optional<Language> chosen = language_of(*language))
        if (std::optional<std::u16string_view> word = on_off_word(id, shown, *chosen)) return try_copy(*word, text);
    // A copy of a null BSTR is null, as VariantCopy makes it.
    if (value->bstrVal == nullptr) return S_OK;
    return try_copy(shown, text);
}

// Clears the out-variant, then hands it the result unless `status` failed.
// The result is built before the clear, so an out-variant that is also one
// of the inputs is read before it is freed.
HRESULT publish(HRESULT status, unique_bstr result, VARIANT* out) noexcept {
    if (HRESULT cleared = VariantClear(out); FAILED(cleared)) return cleared;
    if (FAILED(status)) return status;
    out->vt = VT_BSTR;
    out->bstrVal = result.release();
    return S_OK;
}

}  // namespace

HRESULT GetFieldName(LONG id, VARIANT* language, VARIANT* name) {
    if (name == nullptr) return E_POINTER;
    unique_bstr found;
    HRESULT status = try_field_name(id, language, found);
    return publish(status, std::move(found), name);
}

HRESULT TranslateChoice(LONG id, VARIANT* english, VARIANT* value, VARIANT* language, VARIANT* text) {
    if (text == nullptr) return E_POINTER;
    unique_bstr shown;
    HRESULT status = try_choice_text(id, english, value, language, shown);
    return publish(status, std::move(shown), text);
}
