#pragma once
// How fast a run talks to its modems. Standard keeps the fixed waits that give slow networks
// and operators' anti-spam rules room (2 s after each message body, 2 s between parts, 2 s
// after each message, device threads started 2 s apart) and questions the device before every
// message. Fast waits only for each command's own answer and tells each device its settings
// once per run, again only when a value changes or after a refusal or silence.
namespace tesk::modem {

enum class Pacing { Standard, Fast };

}  // namespace tesk::modem
