#include "cli/production_run.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

#include "cli/image_files.h"
#include "cli/part_steps.h"
#include "platform/clock.h"

namespace cli {
namespace {

// Whether the part's option bits, as read at its identification, are exactly those of `options`.
bool HasOptionBits(const Programmer& programmer, uint32_t options) {
    const auto matches = [options](int32_t unprogrammed, uint32_t flag) {
        return (unprogrammed == 0) == ((options & flag) != 0);
    };
    return matches(programmer.resetPolarity, PROGRAM_RESET_LOW) &&
           (!IsExtended(*programmer.currentDevice) || (matches(programmer.expressOutput, PROGRAM_EXPRESS_PARALLEL) &&
                                                       matches(programmer.busyPin, PROGRAM_BUSY_PULLDOWN)));
}

// A part that is not blank passes only when it already holds the buffer and exactly these
// option bits: a part programmed earlier, inserted again. Returns the failure, empty if none.
std::string CheckHeldAlready(Programmer& programmer, uint32_t options) {
    uint16_t progress = 0;
    const bool same = programmer.VerifyDevice(&progress, programmer.buffer.get()) == 0 && progress == 100;
    if (programmer.MustEnd()) {
        return programmer.EndedText();
    }
    if (!same) {
        return "the PROM is not blank and does not hold this image";
    }
    if (!HasOptionBits(programmer, options)) {
        return "the PROM holds this image but other option bits";
    }
    return {};
}

// Blank checks the identified part and programs it from the buffer with `options`, then
// verifies it. Returns the failure, empty if none.
std::string ProgramPart(Programmer& programmer, uint32_t options) {
    const bool arrayErased = programmer.BlankCheck() == 1;
    if (!programmer.failureText.empty()) {
        return programmer.failureText;
    }
    if (!arrayErased || !HasOptionBits(programmer, PROGRAM_ARRAY)) {
        return CheckHeldAlready(programmer, options);
    }
    uint16_t progress = 0;
    if (programmer.ProgramDevice(&progress, options, 0, 0) == 0 && progress >= 100) {
        return {};
    }
    return WithFailureText("Device did not program correctly", programmer.failureText);
}

std::string OptionBitsText(const OptionBitChoices& optionBits) {
    std::string text = optionBits.resetLow.value_or(false) ? "reset=low" : "reset=high";
    if (optionBits.busyPulldown) {
        text += *optionBits.busyPulldown ? " busy=pulldown" : " busy=floating";
    }
    if (optionBits.expressParallel) {
        text += *optionBits.expressParallel ? " output=parallel" : " output=serial";
    }
    return text;
}

class ProductionRun {
public:
    ProductionRun(Programmer& programmer, const ProductionJob& job, ProductionLog& log, const Console& console)
        : programmer(programmer), job(job), log(log), console(console), options(OptionsWord(job.optionBits)),
          optionBitsText(OptionBitsText(job.optionBits)) {}

    int Run(const NextPart& nextPart);

private:
    // Takes `partType` as the run's type: the option bits must fit it and the image must load
    // whole into a buffer of its size. Otherwise sets `endStatus`.
    bool TakeType(const PromDevice& partType);
    PartRecord DoPart(uint32_t number);
    std::string WorkOnPart(PartRecord& part);
    void Report(const PartRecord& part);

    Programmer& programmer;
    const ProductionJob& job;
    ProductionLog& log;
    const Console& console;
    const uint32_t options;
    const std::string optionBitsText;

    const PromDevice* type = nullptr;
    std::vector<uint8_t> image;
    std::optional<uint16_t> imageChecksum;
    uint32_t passed = 0;
    uint32_t failed = 0;
    std::optional<int> endStatus;   // the run cannot go on
};

int ProductionRun::Run(const NextPart& nextPart) {
    // A file that cannot be had fails before the first part, as far as it can be known then:
    // without a type, the image loads into a buffer of the first part's size.
    if (!CheckLoadName(job.imageFile, console) || (job.type && !TakeType(*job.type))) {
        return endStatus.value_or(kExitFailed);
    }
    if (!job.type && !std::ifstream(job.imageFile, std::ios::binary)) {
        console.Error("File could not be Opened: " + job.imageFile + " (" + std::strerror(errno) + ")");
        return kExitFailed;
    }
    for (uint32_t number = 1; job.partCount == 0 || number <= job.partCount; ++number) {
        if (programmer.stopRequested || !nextPart(number)) {
            break;
        }
        const PartRecord part = DoPart(number);
        if (endStatus) {
            break;
        }
        Report(part);
        if (endStatus || programmer.MustEnd()) {
            break;
        }
    }
    console.out << passed << " passed, " << failed << " failed\n";
    if (endStatus) {
        return *endStatus;
    }
    const bool allPassed = passed > 0 && failed == 0 && !programmer.stopRequested;
    return allPassed ? kExitSuccess : kExitFailed;
}

bool ProductionRun::TakeType(const PromDevice& partType) {
    if (!CheckOptionBitsFit(partType, job.optionBits, console)) {
        endStatus = kExitUsage;
        return false;
    }
    if (!programmer.ResizeBuffer(partType.sizeBits / 8)) {
        console.Error("not enough memory for the buffer of a " + partType.name);
        endStatus = kExitFailed;
        return false;
    }
    if (!LoadPartImage(programmer, job.imageFile, "no part was programmed", console)) {
        endStatus = kExitFailed;
        return false;
    }
    image.assign(programmer.buffer.get(), programmer.buffer.get() + programmer.GetBufferLength());
    imageChecksum = programmer.checksum;
    type = &partType;
    return true;
}

PartRecord ProductionRun::DoPart(uint32_t number) {
    platform::Clock& clock = platform::ProcessClock();
    const uint64_t start = clock.NowMicroseconds();
    PartRecord part;
    part.number = number;
    part.image = job.imageFile;
    part.optionBits = optionBitsText;
    part.failure = WorkOnPart(part);
    part.checksum = imageChecksum;
    part.seconds = static_cast<double>(clock.NowMicroseconds() - start) / 1e6;
    return part;
}

// Returns the part's failure, empty if none.
std::string ProductionRun::WorkOnPart(PartRecord& part) {
    const std::string identifyFailure = IdentifyPartFailure(programmer);
    if (!identifyFailure.empty()) {
        return identifyFailure;
    }
    const PromDevice& identified = *programmer.currentDevice;
    part.type = identified.name;
    if (!type && !TakeType(identified)) {
        return {};   // the run ends here: the part is not one of it
    }
    if (identified.name != type->name) {
        return "the PROM is of type " + identified.name + ", not " + type->name;
    }
    // The identification gave the part a fresh, erased buffer.
    std::copy(image.begin(), image.end(), programmer.buffer.get());
    return ProgramPart(programmer, options);
}

void ProductionRun::Report(const PartRecord& part) {
    console.out << "Part " << part.number << ": " << (part.type.empty() ? "" : part.type + " ");
    if (part.failure.empty()) {
        ++passed;
        console.out << "passed in " << SecondsText(part.seconds) << " s\n";
    } else {
        ++failed;
        console.out << "failed: " << part.failure << '\n';
    }
    console.out.flush();   // the operator follows the run line by line
    std::string error;
    if (log.IsOpen() && !log.Append(part, error)) {
        console.Error(error);
        endStatus = kExitFailed;
    }
}

}  // namespace

int RunProduction(Programmer& programmer, const ProductionJob& job, const NextPart& nextPart, ProductionLog& log,
                  const Console& console) {
    return ProductionRun(programmer, job, log, console).Run(nextPart);
}

}  // namespace cli
