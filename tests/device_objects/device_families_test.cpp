// The device tables hold together: partner rows point at each other, every kind has a family with
// an entry, a page and a page file whose root names the family, and no identity is given twice.
#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <set>
#include <tuple>

#include "devices/base/device_families.h"
#include "devices/base/orvane_usb_device.h"
#include "devices/supported_devices.h"
#include "sim/sim_bus.h"
#include "sim/sim_setup.h"

namespace qx::devices {
namespace {

QString SkinFile(std::string_view relative) {
    return QStringLiteral(QX580_SOURCE_DATA_DIR "/skin/") +
           QString::fromUtf8(relative.data(), static_cast<qsizetype>(relative.size()));
}

// The table as shipped and as the simulation of every kind fills it in.
class SupportedTable : public ::testing::TestWithParam<bool> {
  protected:
    std::vector<SupportedDeviceRow> Rows() const {
        if (GetParam()) return sim::WithSimulatorIdentities(kSupportedDevices);
        return {kSupportedDevices.begin(), kSupportedDevices.end()};
    }
};

TEST_P(SupportedTable, PartnerRowsAreReciprocalAndIdentitiesUnique) {
    const std::vector<SupportedDeviceRow> rows = Rows();
    std::set<std::tuple<int, int, int, int, int, int>> identities;
    for (size_t i = 0; i < rows.size(); ++i) {
        const SupportedDeviceRow& row = rows[i];
        if (row.hasPartner) {
            ASSERT_LT(row.partnerRow, rows.size()) << i;
            const SupportedDeviceRow& partner = rows[row.partnerRow];
            EXPECT_TRUE(partner.hasPartner) << i;
            EXPECT_EQ(partner.partnerRow, i) << i;
            EXPECT_EQ(partner.role, row.role) << i;
            EXPECT_EQ(partner.collectionNumber, row.collectionNumber) << i;
            EXPECT_NE(IsReceiverKind(partner.kind), IsReceiverKind(row.kind))
                << i << ": a partner is the same device through its other path";
            EXPECT_EQ(FamilyOfKind(partner.kind), FamilyOfKind(row.kind)) << i;
        }
        if (row.vendorId == 0 && row.productId == 0) continue;  // no identity in this build
        const auto identity =
            std::make_tuple(int(row.vendorId), int(row.productId), int(row.interfaceNumber),
                            int(row.collectionNumber), int(row.kind), int(row.role));
        EXPECT_TRUE(identities.insert(identity).second) << "row " << i << " repeats an identity";
    }
}

TEST_P(SupportedTable, EveryKindHasAFamilyWithACommandRow) {
    const std::vector<SupportedDeviceRow> rows = Rows();
    for (const SupportedDeviceRow& row : rows) {
        const DeviceFamilyRow& family = FamilyRow(FamilyOfKind(row.kind));
        EXPECT_TRUE(family.kinds[0] == row.kind || family.kinds[1] == row.kind)
            << "kind " << int(row.kind);
        bool command = false;
        for (const SupportedDeviceRow& other : rows)
            command = command || (other.kind == row.kind && other.IsCommand());
        EXPECT_TRUE(command) << "kind " << int(row.kind) << " has no command row";
    }
}

INSTANTIATE_TEST_SUITE_P(ShippedAndSimulated, SupportedTable, ::testing::Values(false, true));

TEST(DeviceFamilies, EachFamilyHasItsEntryPageAndClass) {
    sim::SimBus bus;
    std::set<std::pair<int, int>> identities;
    std::set<std::string_view> folders;
    for (size_t i = 0; i < DeviceFamilies().size(); ++i) {
        const DeviceFamilyRow& family = DeviceFamilies()[i];
        SCOPED_TRACE(std::string(family.folderName));
        EXPECT_EQ(static_cast<size_t>(family.family), i) << "rows stand in list order";
        EXPECT_TRUE(folders.insert(family.folderName).second);
        if (family.vendorId != 0 || family.productId != 0) {
            EXPECT_TRUE(identities.insert({family.vendorId, family.productId}).second);
        }
        for (std::string_view file : {family.entryFile, family.pageFile, kPowerControlFile}) {
            EXPECT_TRUE(QFile::exists(SkinFile(file))) << file;
        }
        // The page file's root is of the family's page class.
        QFile page(SkinFile(family.pageFile));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        const QString root = QStringLiteral("<widget class=\"%1\" name=\"root\">")
                                 .arg(QString::fromUtf8(family.pageClass.data(),
                                                        qsizetype(family.pageClass.size())));
        EXPECT_TRUE(QString::fromUtf8(page.readAll()).contains(root)) << family.pageFile;
        // The family's class makes a device of one of its kinds.
        ASSERT_NE(family.create, nullptr);
        const std::unique_ptr<COrvaneUSBDevice> device = family.create(bus);
        EXPECT_TRUE(device->Kind() == family.kinds[0] || device->Kind() == family.kinds[1]);
        EXPECT_EQ(FamilyOfKind(family.entryKind), family.family);
        EXPECT_GE(family.ledCount, 0);
        EXPECT_GE(family.keyCount, 0);
    }
}

}  // namespace
}  // namespace qx::devices
