#include "app/machineidentity.h"

namespace {

std::shared_ptr<MachineIdentity> &slot()
{
    static std::shared_ptr<MachineIdentity> identity = std::make_shared<StubMachineIdentity>();
    return identity;
}

} // namespace

MachineIdentity &machineIdentity()
{
    return *slot();
}

void setMachineIdentity(std::shared_ptr<MachineIdentity> identity)
{
    slot() = identity ? std::move(identity) : std::make_shared<StubMachineIdentity>();
}
