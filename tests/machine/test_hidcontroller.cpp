#include "machine/hidcontroller.h"
#include "machine/simulatedmachine.h"

#include <gtest/gtest.h>

namespace {

struct ControllerRig
{
    VirtualMachineClock clock;
    SimulatedHidBackend backend{clock};
};

TEST(HidDeviceController, FirstChangeHandlerFiresOnceEvenWithoutDevices)
{
    ControllerRig rig;
    HidDeviceController controller(rig.backend);
    int changes = 0;
    controller.setOnDeviceChange([&] { ++changes; }, 7);
    EXPECT_EQ(changes, 1);
    controller.setOnDeviceChange([&] { ++changes; }, 7);
    EXPECT_EQ(changes, 1) << "the same handler assigned again fires nothing";
}

TEST(HidDeviceController, UnplugRaisesOneUnplugThenOneChangeAndReplugAddsANewDevice)
{
    ControllerRig rig;
    auto machine = rig.backend.plugMachine();
    HidDeviceController controller(rig.backend);
    std::vector<std::string> events;
    controller.setOnDeviceUnplug([&](HidDevice &d) { events.push_back("unplug " + d.info().product.toStdString()); });
    controller.setOnDeviceChange([&] { events.push_back("change"); });
    events.clear();

    rig.backend.unplug(machine);
    EXPECT_EQ(events, (std::vector<std::string>{"unplug bn45", "change"}));
    EXPECT_EQ(controller.count(), 0);

    events.clear();
    rig.backend.replug(machine);
    EXPECT_EQ(events, (std::vector<std::string>{"change"}));
    ASSERT_EQ(controller.count(), 1);
    EXPECT_TRUE(controller.device(0)->pluggedIn());
}

TEST(HidDeviceController, CheckOutRefusesBadIndexAndSecondCheckOut)
{
    ControllerRig rig;
    rig.backend.plugMachine();
    HidDeviceController controller(rig.backend);
    EXPECT_EQ(controller.checkOutByIndex(-1), nullptr);
    EXPECT_EQ(controller.checkOutByIndex(1), nullptr);
    HidDevicePtr device = controller.checkOutByIndex(0);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(controller.checkOutByIndex(0), nullptr);
    controller.checkIn(device);
    EXPECT_EQ(device, nullptr);
    EXPECT_NE(controller.checkOutByIndex(0), nullptr) << "a checked-in device is available again";
}

TEST(HidDeviceController, UnpluggedCheckedOutDeviceStaysUntilCheckedIn)
{
    ControllerRig rig;
    auto machine = rig.backend.plugMachine();
    HidDeviceController controller(rig.backend);
    HidDevicePtr device = controller.checkOutByIndex(0);
    ASSERT_TRUE(device->openFile());
    rig.backend.unplug(machine);
    EXPECT_EQ(controller.count(), 1);
    EXPECT_FALSE(device->pluggedIn());
    EXPECT_FALSE(device->isOpen());
    EXPECT_FALSE(device->openFile());
    controller.checkIn(device);
    EXPECT_EQ(controller.count(), 0);
}

TEST(HidDeviceController, EnumerateVisitsPluggedDevicesUntilHandlerStops)
{
    ControllerRig rig;
    rig.backend.plugOther("Acme", "mouse");
    rig.backend.plugMachine();
    rig.backend.plugOther("Acme", "keyboard");
    HidDeviceController controller(rig.backend);
    EXPECT_EQ(controller.enumerate(), 0) << "no handler, no visit";
    std::vector<int> indexes;
    controller.setOnEnumerate([&](const HidDevicePtr &, int index) {
        indexes.push_back(index);
        return index < 1;
    });
    EXPECT_EQ(controller.enumerate(), 2);
    EXPECT_EQ(indexes, (std::vector<int>{0, 1}));
}

TEST(HidDeviceController, EnumerationOpensNothingAndReadsNoStrings)
{
    // Regression: listing devices read the indexed strings, which on this
    // controller are live queries (reply 17 moves the firmware address).
    ControllerRig rig;
    auto machine = rig.backend.plugMachine();
    HidDeviceController controller(rig.backend);
    controller.setOnEnumerate([](const HidDevicePtr &, int) { return true; });
    controller.enumerate();
    controller.rescan();
    EXPECT_EQ(rig.backend.opens(), 0);
    EXPECT_TRUE(machine->reports().empty());
}

} // namespace
