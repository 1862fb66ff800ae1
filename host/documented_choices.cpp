#include "host/documented_choices.h"

#include "codeplug/layout.h"

namespace {

constexpr std::u16string_view kOffOn[] = {u"0", u"1"};
constexpr std::u16string_view kZeroToTwo[] = {u"0", u"1", u"2"};
constexpr std::u16string_view kZeroToThree[] = {u"0", u"1", u"2", u"3"};

struct field_choices {
    LONG field;
    std::span<const std::u16string_view> values;
};

constexpr field_choices kChoices[] = {
    // Bandwidth 12.5 / 25 kHz, power low / high.
    {field::CP_CHBWSEL, kOffOn},
    {field::CP_TXPWRLEVSEL, kOffOn},
    // Squelch: carrier, tone (TPL), digital code (DPL).
    {field::CP_TXSQCODESEL, kZeroToTwo},
    {field::CP_RXSQCODESEL, kZeroToTwo},
    // Signalling: none, MDC, Quik-Call, DTMF; on system 1 or 2.
    {field::CP_TXSIGTYPE, kZeroToThree},
    {field::CP_RXSIGTYPE, kZeroToThree},
    {field::CP_TXSIGINDEX, kOffOn},
    {field::CP_RXSIGINDEX, kOffOn},
    {field::CP_BUSYCHLKOUT, kOffOn},
    {field::CP_EMPSEL, kOffOn},
    {field::CP_COMPANDINGST, kOffOn},
    {field::CP_NONSTDREVBURST, kOffOn},
    // The channel's on/off fields.
    {field::CP_OPTBRDFEATEN, kOffOn},
    {field::CP_NOISEBLANKEN, kOffOn},
    {field::CP_RXDPLINVERT, kOffOn},
    {field::CP_TXDPLINVERT, kOffOn},
    {field::CP_REVBURSTTOCEN, kOffOn},
    {field::CP_RXONLY, kOffOn},
    {field::CP_TALKAROUNDEN, kOffOn},
    {field::CP_AUTOSCANEN, kOffOn},
    {field::CP_TXONLY, kOffOn},
    {field::CP_EDITMODEEN, kOffOn},
    {field::CP_PLREQFORDATA, kOffOn},
    {field::CP_VOXEN, kOffOn},
    {field::CP_TALKAROUNDST, kOffOn},
    {field::CP_TOCEN, kOffOn},
    // PL scan: off, tone, code, tone or code; high-speed scan: off, normal,
    // fast; designated transmit: selected, last landed, designated channel.
    {field::SLI_PLSCANTYPE, kZeroToThree},
    {field::SLI_HSSCANTYPE, kZeroToTwo},
    {field::SLI_DESTXPERSTYPE, kZeroToTwo},
};

}  // namespace

std::span<const std::u16string_view> DocumentedChoices(LONG field) noexcept {
    for (const field_choices& choices : kChoices)
        if (choices.field == field) return choices.values;
    return {};
}
