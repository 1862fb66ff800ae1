#pragma once

// A wrapper of its own, opened on a scripted server that forwards every call
// to a built-in server and fails what a test asks it to, and a codeplug
// object.

#include <gtest/gtest.h>

#include <string>

#include "codeplug/document_server.h"
#include "codeplug/status.h"
#include "platform/ansi.h"
#include "platform/unique_bstr.h"
#include "platform/unique_variant.h"
#include "tests/support/com_apartment.h"
#include "tests/support/sample_codeplugs.h"
#include "tests/support/scripted_codeplug.h"
#include "tests/support/scripted_server.h"

class Conversion : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(wrapper.Open(), XMLXSL_S_OK); }

    // Exports the codeplug object in English; the text narrowed through the
    // ANSI code page, empty on failure.
    DWORD exportText(ICodeplug* from, std::string& text, ExportMode mode = ExportMode::File) {
        unique_bstr xml;
        DWORD status = wrapper.CodeplugToXml(xml.put(), from, mode, make_bstr_variant(u"English").get());
        text = xml ? to_ansi(xml.get()) : std::string();
        return status;
    }

    DWORD importText(const std::string& text, ICodeplug* into) {
        return wrapper.XmlToCodeplug(to_bstr(text).get(), into);
    }

    ComApartment com;
    ServerScript script;
    ScriptedServerRegistration registration{script};
    CDocumentServer wrapper;
    com_ptr<ScriptedCodeplug> codeplug = ScriptedCodeplug::Create(SmallCodeplug());
};
