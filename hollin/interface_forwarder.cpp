// InterfaceForwarder: slots 3 to 63 as small stubs that swap `this` for the inner pointer and jump.
#include "interface_forwarder.h"

#include <array>
#include <cstddef>

#if !defined(__i386__)
#error "the forwarding slots are written for x86 (Hollin.exe is a 32-bit program)"
#endif

// Slot n: replace `this` (the first stack argument) by the pointer stored after the vtable
// pointer, then jump to slot n of that object's vtable; the callee returns to our caller and
// pops the same arguments.
asm(R"(
  .altmacro
  .macro kestrel_forward_stub slot
kestrel_forward_slot\slot:
  movl 4(%esp), %eax
  movl 4(%eax), %eax
  movl %eax, 4(%esp)
  movl (%eax), %eax
  jmp *(\slot*4)(%eax)
  .endm
  .macro kestrel_forward_entry slot
  .long kestrel_forward_slot\slot
  .endm

  .text
  .set kestrel_slot, 3
  .rept 61
  kestrel_forward_stub %kestrel_slot
  .set kestrel_slot, kestrel_slot+1
  .endr

  .section .rdata,"dr"
  .globl _kestrel_forward_slots
_kestrel_forward_slots:
  .set kestrel_slot, 3
  .rept 61
  kestrel_forward_entry %kestrel_slot
  .set kestrel_slot, kestrel_slot+1
  .endr
  .text
  .noaltmacro
)");

extern "C" const void* const kestrel_forward_slots[kestrel::kMaxForwardedSlots - 3];

namespace kestrel {

static_assert(sizeof(void*) == 4);

const void* const* InterfaceForwarder::Vtable() {
  static_assert(offsetof(InterfaceForwarder, vtable_) == 0 && offsetof(InterfaceForwarder, inner_) == 4,
                "the forwarding slots read the inner pointer right after the vtable pointer");
  static const std::array<const void*, kMaxForwardedSlots> table = [] {
    std::array<const void*, kMaxForwardedSlots> slots{};
    slots[0] = reinterpret_cast<const void*>(&InterfaceForwarder::QueryInterface);
    slots[1] = reinterpret_cast<const void*>(&InterfaceForwarder::AddRef);
    slots[2] = reinterpret_cast<const void*>(&InterfaceForwarder::Release);
    for (unsigned i = 3; i < kMaxForwardedSlots; ++i) slots[i] = kestrel_forward_slots[i - 3];
    return slots;
  }();
  return table.data();
}

HRESULT STDMETHODCALLTYPE InterfaceForwarder::QueryInterface(InterfaceForwarder* self, REFIID iid, void** object) {
  return self->owner_->QueryInterface(iid, object);
}

ULONG STDMETHODCALLTYPE InterfaceForwarder::AddRef(InterfaceForwarder* self) { return self->owner_->AddRef(); }

ULONG STDMETHODCALLTYPE InterfaceForwarder::Release(InterfaceForwarder* self) { return self->owner_->Release(); }

}  // namespace kestrel
