// Decoding of person names to UTF-8 by their Specific Character Set: this
// library's decoder against DCMTK's DcmSpecificCharacterSet (iconv underneath
// both) on the names of pydicom's character set files, each checked to give
// the same text first.

#include "ZVDICOM/CharacterSetDecoder.h"

#include <benchmark/benchmark.h>

#ifdef VANTOR_HAVE_DCMTK
#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcspchrs.h>
#endif

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Name
{
    const char* label;
    std::string characterSet;
    std::string value;
};

// The person names of chrH31, chrH32, chrI2, chrFren and chrX2.
const std::vector<Name>& names()
{
    static const std::vector<Name> list{
        {"ISO 2022 IR 87 (chrH31)", "\\ISO 2022 IR 87",
         "Yamada^Tarou=\x1B$B;3ED\x1B(B^\x1B$BB@O:\x1B(B=\x1B$B$d$^$@\x1B(B^\x1B$B$?$m$&\x1B(B"},
        {"ISO 2022 IR 13 and 87 (chrH32)", "ISO 2022 IR 13\\ISO 2022 IR 87",
         "\xD4\xCF\xC0\xDE^\xC0\xDB\xB3=\x1B$B;3ED\x1B(J^\x1B$BB@O:\x1B(J=\x1B$B$d$^$@\x1B(J^\x1B$B$?$m$&\x1B(J"},
        {"ISO 2022 IR 149 (chrI2)", "\\ISO 2022 IR 149",
         "Hong^Gildong=\x1B$)C\xFB\xF3^\x1B$)C\xD1\xCE\xD4\xD7=\x1B$)C\xC8\xAB^\x1B$)C\xB1\xE6\xB5\xBF"},
        {"ISO_IR 100 (chrFren)", "ISO_IR 100", "Buc^J\xE9r\xF4me"},
        {"GB18030 (chrX2)", "GB18030", "Wang^XiaoDong=\xCD\xF5^\xD0\xA1\xB6\xAB="},
    };
    return list;
}

constexpr int kRepeats = 1000;

void BM_Ours(benchmark::State& state)
{
    const Name& name = names()[static_cast<std::size_t>(state.range(0))];
    const CharacterSetDecoder characterSet(name.characterSet);
    for (auto _ : state)
        for (int i = 0; i < kRepeats; ++i)
            benchmark::DoNotOptimize(characterSet.decode(name.value, "PN"));
    state.SetItemsProcessed(state.iterations() * kRepeats);
}

#ifdef VANTOR_HAVE_DCMTK
bool dcmtkDecode(DcmSpecificCharacterSet& converter, const Name& name, std::string& text)
{
    OFString out;
    if (converter.convertString(OFString(name.value.data(), name.value.size()), out, "\\^=").bad())
        return false;
    text.assign(out.c_str(), out.length());
    return true;
}

void BM_Dcmtk(benchmark::State& state)
{
    const Name& name = names()[static_cast<std::size_t>(state.range(0))];
    DcmSpecificCharacterSet converter;
    if (converter.selectCharacterSet(name.characterSet.c_str()).bad()) {
        state.SkipWithError("DCMTK cannot convert from this set");
        return;
    }
    std::string text;
    for (auto _ : state)
        for (int i = 0; i < kRepeats; ++i)
            benchmark::DoNotOptimize(dcmtkDecode(converter, name, text));
    state.SetItemsProcessed(state.iterations() * kRepeats);
}
BENCHMARK(BM_Dcmtk)->DenseRange(0, 4)->MinTime(0.5);
#endif
BENCHMARK(BM_Ours)->DenseRange(0, 4)->MinTime(0.5);

class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !run.error_occurred)
                seconds[run.benchmark_name()] = run.GetAdjustedRealTime() / 1e9;
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
#ifdef VANTOR_HAVE_DCMTK
    for (const Name& name : names()) {
        DcmSpecificCharacterSet converter;
        std::string theirs;
        const std::string ours = CharacterSetDecoder(name.characterSet).decode(name.value, "PN");
        if (converter.selectCharacterSet(name.characterSet.c_str()).bad() || !dcmtkDecode(converter, name, theirs))
            std::printf("%s: DCMTK cannot decode it\n", name.label);
        else if (ours != theirs)
            std::printf("%s: DIFFERENT TEXT: ours \"%s\", DCMTK \"%s\"\n", name.label, ours.c_str(), theirs.c_str());
    }
#endif
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    for (std::size_t i = 0; i < names().size(); ++i) {
        const std::string suffix = "/" + std::to_string(i) + "/min_time:0.500";
        const auto ours = reporter.seconds.find("BM_Ours" + suffix);
        const auto peer = reporter.seconds.find("BM_Dcmtk" + suffix);
        if (ours == reporter.seconds.end()) {
            std::printf("person name in %s vs DCMTK: not measured\n", names()[i].label);
            continue;
        }
        if (peer == reporter.seconds.end()) {
            std::printf("person name in %s: ours %.0f names/s, peer none (DCMTK cannot convert this set here)\n",
                        names()[i].label, kRepeats / ours->second);
            continue;
        }
        const double oursRate = kRepeats / ours->second;
        const double peerRate = kRepeats / peer->second;
        std::printf("person name in %s vs DCMTK DcmSpecificCharacterSet: ours %.0f names/s, peer %.0f names/s, "
                    "ratio %.2f\n",
                    names()[i].label, oursRate, peerRate, oursRate / peerRate);
    }
    benchmark::Shutdown();
    return 0;
}
