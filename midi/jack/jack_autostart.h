#pragma once

namespace tonvel {

// A JACK client that finds no server would otherwise try to start one and block for
// seconds. Call before anything may open a JACK client.
void preventJackServerAutostart();

}  // namespace tonvel
