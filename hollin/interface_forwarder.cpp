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
  .text
  .irp slot, 3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,33,34,35,36,37,38,39,40,41,42,43,44,45,46,47,48,49,50,51,52,53,54,55,56,57,58,59,60,61,62,63
kestrel_forward_slot\slot:
  movl 4(%esp), %eax
  movl 4(%eax), %eax
  movl %eax, 4(%esp)
  movl (%eax), %eax
  jmp *(\slot*4)(%eax)
  .endr
  .section .rdata,"dr"
  .globl _kestrel_forward_slots
_kestrel_forward_slots:
  .irp slot, 3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,33,34,35,36,37,38,39,40,41,42,43,44,45,46,47,48,49,50,51,52,53,54,55,56,57,58,59,60,61,62,63
  .long kestrel_forward_slot\slot
  .endr
  .text
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
