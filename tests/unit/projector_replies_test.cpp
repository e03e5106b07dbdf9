// What the shipped catalogue's projectors answer, decoded: the manuals' and libraries' examples
// per family (projector-replies sources named in data/replies.sql), with the quirks real
// projectors show. Each case is fed whole and again one byte at a time.
#include "catalogue/catalogue.h"
#include "project/command_notation.h"
#include "projector/projector_exchange.h"
#include "projector/reply_decoder.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <map>

using namespace ondrel;

namespace {

constexpr auto Ack = ReplyOutcome::Acknowledged;
constexpr auto State = ReplyOutcome::State;
constexpr auto Refused = ReplyOutcome::Refused;
constexpr auto None = ReplyOutcome::NoAnswer;
constexpr auto Garbage = ReplyOutcome::NotUnderstood;

struct Case {
    int protocol;
    const char* sent;     // "?name" a query, otherwise the bytes in the family's notation
    const char* received; // text notation for text replies, hex for binary ones
    ReplyOutcome outcome;
    const char* meaning; // ReplyDecoding::text()
};

const Case kCases[] = {
    // Epson ESC/VP21: a bare ":" without CR (pszafer issue #1), ERR, KEY=VALUE (pszafer tests,
    // docs/PROTOCOL.md), hex error codes (openhab ErrorMessage.java).
    {1, "PWR ON<CR>", ":", Ack, "acknowledged"},
    {1, "BLAH<CR>", "ERR<CR>:", Refused, "refused: not possible now, unknown or out of range"},
    {1, "?power", "PWR=01<CR>:", State, "power: on"},
    {1, "?power", "PWR=04<CR>:", State, "power: standby (network on)"},
    {1, "?power", "pwr=02<CR>:", State, "power: warming up"},
    {1, "?power", ":PWR=03<CR>:", State, "power: cooling down"}, // a late ":" of PWR ON first
    {1, "PWR ON<CR>", "PWR ON<CR>:", Ack, "acknowledged"},       // the command echoed
    {1, "?lamp", "LAMP=1234<CR>:", State, "lamp hours: 1234"},
    {1, "?error", "ERR=0A<CR>:", State, "error: auto iris"},
    {1, "SNO?<CR>", "SNO=XY12345678<CR>:", State, "SNO: XY12345678"},
    {1, "AXESADJ?<CR>", "R=126 126 126<CR>G=126 126 126<CR>B=126 126 126<CR>:", State,
     "R: 126 126 126; G: 126 126 126; B: 126 126 126"},
    {1, "PWR?<CR>", "PWR?<CR>", None, "no answer: only the command came back"},
    // NEC: H1 H2 ID1 ID2 LEN DATA CKS (VT695 p.7, p.8, p.13; NP-M311W p.56; M363XG p.35;
    // PX2000UL p.61).
    {2, "?power", "20 81 01 60 01 00 03", State, "power: standby"},
    {2, "?power", "20 81 01 60 01 22 25", State, "power: cooling down (power bit still set)"},
    {2, "?power", "FF 20 81 01 60 01 82 85", State, "power: warming up"}, // noise before
    {2, "?power", "20 81 01 60 01 00 04", Garbage,
     "not understood: 20 81 01 60 01 00 04 | <81><SOH>`<SOH><NUL><EOT>|"},
    {2, "02 00 00 00 00 02", "22 00 01 40 00 63", Ack, "acknowledged"},
    {2, "02 01 00 00 00 03", "A2 01 01 40 02 02 0D F5", Refused, "refused: power off inhibited"},
    {2, "?lamp", "23 96 01 40 06 00 01 50 46 00 00 97", State, "lamp hours: 5"},
    {2, "?status", "20 85 01 40 10 00 00 01 00 00 04 00 00 00 00 00 00 00 00 00 00 FB", State,
     "power: on"},
    {2, "?error", "20 88 01 40 0C 12 00 00 00 00 00 00 00 00 00 00 00 07", State,
     "error: temperature (bimetal), fan"},
    // Panasonic: the callback, values alone, ER401 (PT-FW300 spec p.3; PT-CW331RE p.69;
    // PT-L711 sections 3.2, 5.50).
    {3, "<STX>PON<ETX>", "<STX>PON<ETX>", Ack, "acknowledged"},
    {3, "?onoff", "<STX>000<ETX>", State, "power: standby"},
    {3, "?onoff", "<STX>001<ETX>", State, "power: on"},
    {3, "?power", "<STX>1<ETX>", State, "power: warming up (lamp on control)"},
    {3, "<STX>PON<ETX>", "<STX>ER401<ETX>", Refused,
     "refused: not possible now, or unknown command"},
    {3, "?input", "<STX>RG1<ETX>", State, "input: computer 1"},
    // Sanyo PLC: ACK CR, "?" CR, CR0 and CR3 (PLC-XE33 p.10; PLC-XU106 p.21; PLC-XM100 p.27).
    {4, "C00<CR>", "<ACK><CR>", Ack, "acknowledged"},
    {4, "C00<CR>", "?<CR>", Refused, "refused: not possible now, or unknown command"},
    {4, "?power", "80<CR>", State, "power: standby"},
    {4, "?power", "40<CR>", State, "power: warming up (countdown)"},
    {4, "?power", "28<CR>", State, "power: cooling down after a temperature anomaly (error)"},
    {4, "?lamp", "00410<CR>", State, "lamp hours: 410"},
    // Sony VPL: ACK, NAK codes, power, lamp (VPL-PX35 Table 3; VPL-EX p.13; VW50 p.8).
    {5, "A9 00 01 00 00 02 03 9A", "A9 00 00 03 00 00 03 9A", Ack, "acknowledged"},
    {5, "A9 00 01 00 00 02 03 9A", "A9 01 01 03 00 00 03 9A", Refused,
     "refused: undefined command"},
    {5, "A9 00 01 00 00 02 03 9A", "A9 01 05 03 00 00 07 9A", Refused, "refused: select error"},
    {5, "?power", "A9 01 02 02 00 03 03 9A", State, "power: on"},
    {5, "?power", "A9 01 02 02 00 04 07 9A", State, "power: cooling down (cooling 1)"},
    {5, "?lamp", "A9 01 13 02 03 E8 FB 9A", State, "lamp hours: 1000"},
    {5, "?power", "A9 01 02 01 00 00 03 9A", None, "no answer: only the command came back"},
    // Hitachi: one byte or three, the same data frame for every GET (CP-WU13K p.66; CP-X253 p.8).
    {6, "BE EF 03 06 00 BA D2 01 00 00 60 01 00", "06", Ack, "acknowledged"},
    {6, "BE EF 03 06 00 BA D2 01 00 00 60 01 00", "15", Refused, "refused: not understood (NAK)"},
    {6, "BE EF 03 06 00 BA D2 01 00 00 60 01 00", "1C 00 00", Refused,
     "refused: cannot be done now"},
    {6, "?power", "1D 02 00", State, "power: cooling down"},
    {6, "?error", "1D 02 00", State, "error: fan"},
    {6, "?lamp", "1D E8 03", State, "lamp hours: 1000"},
    // BenQ: prompt, echo, answer in capitals, strays (Tasmota #15841; benqprojector tests).
    {7, "?power", "<CR>>*pow=?#<CR><CR><LF>*POW=OFF#<CR><LF>", State, "power: standby (off)"},
    {7, "?power", ">*pow=?#<CR><CR><LF>*POW=ON#<CR><LF>", State, "power: on"},
    {7, "?power", "*POW=Block item#", Refused,
     "refused: blocked now (standby, or switching on or off)"},
    {7, "<CR>*pow=on#<CR>", ">*pow=on#<CR><CR><LF>*POW=ON#<CR><LF>", Ack, "acknowledged"},
    {7, "<CR>*pow=on#<CR>", "*Illegal format#", Refused, "refused: illegal format"},
    {7, "<CR>*pow=on#<CR>", "*Unsupported item#", Refused, "refused: not supported by this model"},
    {7, "?lamp", "*ltim= 1383", State, "lamp hours: 1383"}, // no "#", no line end
    // Optoma: P and F, OK with a value, unasked INFO lines (EP783S table; EW615i p.64; grapefrukt).
    {8, "~0000 1<CR>", "P<CR>", Ack, "acknowledged (pass)"},
    {8, "~0000 1<CR>", "F<CR>", Refused, "refused (fail)"},
    {8, "?power", "Ok1<CR>", State, "power: on"},
    {8, "?power", "P<CR>OK0<CR>", State, "power: standby (off)"},
    {8, "~0000 1<CR>", "INFO6<CR>P<CR>", Ack,
     "acknowledged (pass); projector reports: fan lock (sent unasked)"},
    {8, "~0000 2<CR>", "INFO2<CR>", None,
     "no answer; projector reports: cooling down (sent unasked)"},
    // ViewSonic: write and read replies (LS625W p.57; ElTinmar viewsonic_serial.py).
    {9, "06 14 00 04 00 34 11 00 00 5D", "03 14 00 00 00 14", Ack, "acknowledged"},
    {9, "06 14 00 04 00 34 11 00 00 5D", "00 14 00 00 00 14", Refused,
     "refused: function disabled or not available"},
    {9, "?power", "05 14 00 03 00 00 00 01 18", State, "power: on"},
    {9, "?power", "05 14 00 03 00 00 00 00 17", State, "power: standby (off)"},
    {9, "?status", "05 14 00 03 00 00 00 03 1A", State, "power: cooling down"},
    {9, "?lamp", "05 14 00 06 00 00 00 E8 03 00 00 05", State, "lamp hours: 1000"},
};

} // namespace

TEST(ProjectorReplies, ShippedFamiliesDecodeTheirSourcesExamples) {
    const Catalogue catalogue(test::binDir() + "/Proj.qdb");
    std::map<int, ReplyRules> rules;
    for (int protocol = 1; protocol <= 9; ++protocol) {
        const auto text = catalogue.replies(Value(protocol));
        ASSERT_TRUE(text.ok() && text.value().has_value()) << protocol;
        QList<Error> faults;
        const auto parsed = parseReplyRules(*text.value(), 1, &faults);
        ASSERT_TRUE(parsed.ok()) << protocol << ": " << faults.first().line << " "
                                 << faults.first().message.toStdString();
        rules.emplace(protocol, parsed.value());
    }
    for (const Case& c : kCases) {
        const ReplyRules& r = rules.at(c.protocol);
        const Notation notation = r.form == ReplyForm::Text ? Notation::Text : Notation::Hex;
        const QString sent = QString::fromLatin1(c.sent);
        const QString query = sent.startsWith('?') ? sent.mid(1) : QString();
        const QByteArray sentBytes =
            query.isEmpty() ? parseCommandNotation(sent, notation).bytes : *r.query(query);
        const QByteArray received = parseCommandNotation(c.received, notation).bytes;
        ASSERT_FALSE(received.isEmpty()) << c.received;
        ReplyDecoder bytewise(r, sentBytes, query);
        for (const char byte : received)
            bytewise.feed(QByteArray(1, byte));
        for (const ReplyDecoding& d :
             {decodeReply(r, sentBytes, query, received), bytewise.finish()}) {
            EXPECT_EQ(d.text().toStdString(), c.meaning) << c.protocol << " " << c.received;
            EXPECT_EQ(int(d.outcome), int(c.outcome)) << c.protocol << " " << c.received;
        }
    }
}

// One line added to a good section: the faults on that line, word for word ("" for none).
// A model is named MANUFACTURER/MODEL, both parts present; the one named is the one read.
TEST(ProjectorReplies, ModelsAreNamedMakerSlashModel) {
    const Catalogue catalogue(test::binDir() + "/Proj.qdb");
    const Result<ProjectorModel> named = loadProjectorModel(catalogue, "Epson/EB-85");
    ASSERT_TRUE(named.ok());
    EXPECT_EQ(named.value().name(), "Epson EB-85");
    EXPECT_TRUE(named.value().replies.has_value());
    for (const char* bad : {"Epson", "/EB-85", "Epson/"})
        EXPECT_EQ(loadProjectorModel(catalogue, bad).error().message,
                  QStringLiteral("Name the model as MANUFACTURER/MODEL, for example Epson/EB-85, "
                                 "not \"%1\".")
                      .arg(bad));
    EXPECT_EQ(loadProjectorModel(catalogue, "Epson/EB-0").error().message,
              "The catalogue has no model Epson EB-0.");
}

TEST(ProjectorReplies, FaultsOfAReplySectionNameTheirLine) {
    const QString textBase = "form = text\nend = <CR>\nack = OK {n:d}\n";
    const QString binaryBase = "form = binary\nlength = 2\nack = 06 {power}\n";
    const struct {
        bool binary;
        const char* line;
        const char* faults;
    } cases[] = {
        {false, "nokey", "expected KEY = VALUE, found \"nokey\""},
        {false, "= 5", "expected KEY = VALUE, found \"= 5\""},
        {false, "form = octal", "form is text or binary, not \"octal\""},
        {false, "echo = maybe", "echo is answer or always"},
        {false, "length = 5", "length is for binary replies"},
        {false, "timeout = 0", "a time-out is whole milliseconds above 0"},
        {false, "timeout power = 1", ""},
        {false, "query power =", "query power has no bytes"},
        {false, "refused = {1x}", "refused: \"{1x}\" needs a field name of letters and digits"},
        {false, "refused = {n:0}", "refused: {n:0}: the format is a width, d, Nd or *"},
        {false, "refused = {n:d/0}", "refused: {n:d/0}: divide by a whole number above 0"},
        {false, "n bit 3 = x", "\"n bit 3\": a code is one word of text"},
        {false, "power on = ON", "no reply has a field {power}"},
        {false, "frob = 1", "unknown key \"frob\""},
        {false, "end = \\x4",
         "end: column 1: \"\\x4\" needs exactly two hexadecimal digits after \\x"},
        {true, "end = <CR>", "end is for text replies"},
        {true, "checksum = xor 1 2",
         "checksum is \"sum FROM TO\" or \"or FROM TO\", not \"xor 1 2\""},
        {true, "refused = 6",
         "refused: \"6\" is no byte: write two hex digits, \"..\", =N or a {field}"},
        {true, "power 0G = on", "\"power 0G\": a code is hex bytes, hex/mask or bit N"},
        {true, "power bit 64 = on", "\"power bit 64\": a code is hex bytes, hex/mask or bit N"},
        {true, "power bit 63 = on", ""},
        {true, "power bit 0 = on", ""},
        {true, "length = first FF:2", ""},
        {true, "length = first 100:2",
         "length is N, \"N + byte I\", \"N + le16 I\" or \"first BB:N ...\", not \"first 100:2\""},
    };
    for (const auto& c : cases) {
        QList<Error> faults;
        const bool ok =
            parseReplyRules((c.binary ? binaryBase : textBase) + c.line, 1, &faults).ok();
        EXPECT_EQ(ok, *c.faults == 0) << c.line;
        QStringList onLine;
        for (const Error& e : faults)
            if (e.line == 4)
                onLine << e.message;
        EXPECT_EQ(onLine.join('|'), c.faults) << c.line;
    }
}
