// A report descriptor and input reports from a device: the descriptor parser, the per-collection
// view (enumeration, open, report lengths) and the unpacking of input reports into usages.
// Input: the descriptor, then "\n--8<--\n" and the input reports (each after its length byte).
// The descriptor is also read as the text form "qx580ctl hid decode" accepts.
#include <span>
#include <string>

#include "fuzz_backend.h"
#include "fuzz_support.h"
#include "hid/hid_device.h"
#include "hid/report_descriptor.h"

using namespace qx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto pieces = fuzz::SplitInput(data, size, 2);
    const std::span<const uint8_t> descriptor(reinterpret_cast<const uint8_t*>(pieces[0].data()),
                                              pieces[0].size());
    const std::span<const uint8_t> reports(reinterpret_cast<const uint8_t*>(pieces[1].data()),
                                           pieces[1].size());

    if (const auto fromText = DescriptorBytesFromFile(descriptor)) {
        std::string error;
        (void)ParseReportDescriptor(*fromText, &error);
    }

    std::string error;
    const auto parsed = ParseReportDescriptor(descriptor, &error);
    if (parsed) {
        for (const HidCollectionInfo& collection : parsed->collections) {
            for (const HidField& field : collection.fields) {
                // Every element of every field, from a report of each length up to the longest.
                const uint32_t elements = std::min<uint32_t>(field.reportCount, 64);
                for (const auto& report : fuzz::CutReports(reports, 4)) {
                    for (uint32_t i = 0; i < elements; ++i) {
                        (void)ExtractFieldBits(field, report, !collection.reportIds.empty(), i);
                        (void)ExtractFieldBits(field, report, false, i);
                    }
                }
            }
        }
    }

    // The same descriptor on a node: every collection opened, read and unpacked.
    fuzz::FuzzBackend backend(std::vector<uint8_t>(descriptor.begin(), descriptor.end()), 0x3A5C,
                              0x7031, 1);
    HidDevice lister(backend);
    if (lister.Enumerate() == 0) return 0;
    std::vector<std::string> paths;
    while (const std::string* path = lister.NextPath()) paths.push_back(*path);
    for (const std::string& path : paths) {
        backend.Clear();
        for (auto& report : fuzz::CutReports(reports, 8)) backend.Queue(std::move(report));
        HidDevice device(backend);
        if (device.Open(path, true, true, true, false) == 0) continue;
        std::vector<uint8_t> buffer(std::max<size_t>(device.InputReportByteLength(), 1));
        size_t read = 0;
        while (backend.Left() > 0 && device.Read(buffer.data(), buffer.size(), &read, 0) != 0) {
            fuzz::Require(read <= buffer.size(), "a read stays inside its buffer");
            device.UnpackInputReport(buffer.data(), read);
        }
        while (backend.Left() > 0) {
            size_t ignored = 0;
            if (device.Read(buffer.data(), buffer.size(), &ignored, 0) == 0) break;
        }
        device.Close();
    }
    return 0;
}
