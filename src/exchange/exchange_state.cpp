// ExchangeState: where the dialog kept between commands is destroyed.
#include "exchange/exchange_state.h"

#include "exchange/form_export.h"

namespace kestrel {

ExchangeState::ExchangeState() = default;
ExchangeState::~ExchangeState() = default;

}  // namespace kestrel
