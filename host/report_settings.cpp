#include "host/report_settings.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/ansi.h"
#include "platform/environment.h"
#include "platform/registry.h"
#include "platform/unique_hkey.h"

namespace {

// The keys that the library reads (localise/installation_settings.cpp).
constexpr char kProductKey[] = "Software\\Corvane\\TORVALE";
constexpr char kLanguagesKey[] = "Software\\Corvane\\TORVALE\\Language";
constexpr const char* kDealerValues[] = {"DealerInfoLeft", "DealerInfoMiddle", "DealerInfoRight"};


// The key's name as the library spells it: the language through the ANSI
// code page.
std::string language_key(const std::string& language) {
    std::u16string wide;
    const bool text = try_from_utf8(language, wide, ill_formed::refuse);
    return std::string(kLanguagesKey) + "\\" + (text ? to_ansi(wide.data(), wide.size()) : language);
}

LSTATUS open_key(const std::string& name, unique_hkey& key) {
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, name.c_str(), 0, KEY_READ, key.put());
}

std::optional<std::string> query_text(HKEY key, const char* name) {
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    std::vector<BYTE> data(size + 1u, 0);
    if (RegQueryValueExA(key, name, nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(data.data()));
}

bool has_value(const std::string& keyName, const char* name) {
    unique_hkey key;
    if (open_key(keyName, key) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    return RegQueryValueExA(key.get(), name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS;
}

std::string hex(DWORD status) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(status));
    return text;
}

std::string missing_value(const std::string& keyName, const char* name, const std::string& file) {
    return "no value \"" + std::string(name) + "\" under HKEY_LOCAL_MACHINE\\" + keyName + " in " + file;
}

std::optional<std::string> resource_file(const std::string& absoluteTemplate, const std::string& language) {
    unique_hkey key;
    if (open_key(language_key(language), key) != ERROR_SUCCESS) return std::nullopt;
    std::optional<std::string> value = query_text(key.get(), "ReportResource");
    std::size_t folderEnd = absoluteTemplate.rfind('/');
    if (!value || folderEnd == std::string::npos) return std::nullopt;
    std::size_t nameStart = value->find_last_of("/\\");
    return absoluteTemplate.substr(0, folderEnd) + "/" +
           (nameStart == std::string::npos ? *value : value->substr(nameStart + 1));
}

}  // namespace

std::string RegistryFileName() {
    DWORD size = GetEnvironmentVariableA("XMLXSL_REGISTRY", nullptr, 0);
    if (size == 0) return {};
    std::string value(size, '\0');
    DWORD length = GetEnvironmentVariableA("XMLXSL_REGISTRY", value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

std::string AbsoluteTemplatePath(const std::string& templatePath) {
    return std::filesystem::absolute(templatePath).lexically_normal().string();
}

std::vector<named_input> ReportInputs(const std::string& templatePath, const std::string& language) {
    const std::string absoluteTemplate = AbsoluteTemplatePath(templatePath);
    std::vector<named_input> inputs = {
        {"the template", templatePath},
        {"the pre-transform", (std::filesystem::path(absoluteTemplate).parent_path() / "pretransform.qzt").string()},
    };
    if (std::string registry = RegistryFileName(); !registry.empty()) inputs.push_back({"the registry file", registry});
    if (std::optional<std::string> resource = resource_file(absoluteTemplate, language))
        inputs.push_back({"the resource string file", *resource});
    return inputs;
}

std::string DescribeRegistryFailure(DWORD status, const std::string& language) {
    const DWORD result = status & 0xFFFFu;
    if ((status & 0xFFFF0000u) != 0x80040000u || result == 0 || result >= 0x0400) return {};
    const std::string file = RegistryFileName();
    const std::string head = hex(status) + ": ";
    if (file.empty())
        return head + "no registry file is named, so no report setting can be read; give --registry FILE or set "
                      "XMLXSL_REGISTRY";
    std::error_code ignored;
    if (!std::filesystem::exists(file, ignored))
        return head + "the registry file " + file + " does not exist; give --registry FILE with the settings";

    switch (result) {
        case ERROR_FILE_NOT_FOUND:
            return head + "no language \"" + language + "\" under HKEY_LOCAL_MACHINE\\" + kLanguagesKey + " in " +
                   file + "; use a language listed there, or add its key";
        case 1: {
            const std::string languageKey = language_key(language);
            if (!has_value(languageKey, "ReportResource"))
                return head + missing_value(languageKey, "ReportResource", file) +
                       "; add it, naming the language's resource string file";
            for (const char* name : kDealerValues)
                if (!has_value(kProductKey, name))
                    return head + missing_value(kProductKey, name, file) +
                           "; the template's dealer heading needs it: add it";
            return head + "a value of the report's settings cannot be read from " + file;
        }
        case ERROR_BADDB:
            return head + "the registry file " + file +
                   " is malformed or cannot be read (ERROR_BADDB); correct it as the registry editor writes "
                   ".reg files";
    }
    return head + "the report's settings cannot be read from " + file + " (Windows error " + std::to_string(result) +
           ")";
}
