#include "tests/support/counting_server.h"

#include <stdexcept>


namespace {

class CountingServer final : public StandInServer {
public:
    explicit CountingServer(ServerCalls& calls) : calls_(calls) { ++calls_.created; }

    HRESULT Initialize() override { return kOk; }
    HRESULT Reset() override {
        ++calls_.reset;
        if (calls_.resetThrows) throw std::runtime_error("reset refused");
        return kOk;
    }
    HRESULT NewDocument() override { return kOk; }
    HRESULT GetXML(BSTR* text, LONG option) override {
        ++calls_.getXml;
        calls_.lastOption = option;
        *text = SysAllocStringLen(calls_.xmlText.data(), static_cast<UINT>(calls_.xmlText.size()));
        return calls_.getXmlStatus;
    }
    HRESULT CreateElement(ULONG, ULONG*, BSTR) override { return E_NOTIMPL; }
    HRESULT SetAttribute(ULONG, BSTR, BSTR) override { return E_NOTIMPL; }
    HRESULT SetText(ULONG, BSTR) override { return E_NOTIMPL; }
    HRESULT AppendIndent(ULONG, LONG) override { return E_NOTIMPL; }
    HRESULT LoadXML(BSTR) override { return E_NOTIMPL; }
    HRESULT FindElement(ULONG, LONG, ULONG*, BSTR) override { return E_NOTIMPL; }
    HRESULT GetChildCount(ULONG, LONG*) override { return E_NOTIMPL; }
    HRESULT GetChild(ULONG, LONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT GetText(ULONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT GetAttribute(ULONG, BSTR, BSTR*) override { return E_NOTIMPL; }

private:
    static constexpr HRESULT kOk = 0x00040400;
    void released() override { ++calls_.release; }

    ServerCalls& calls_;
};

}  // namespace

CountingServerRegistration::CountingServerRegistration(ServerCalls& calls)
    : registration_([&calls] { return new CountingServer(calls); }) {}
