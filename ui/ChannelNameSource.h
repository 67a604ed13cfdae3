#pragma once
#include <QString>

#include <functional>

// How the windows read the application's channel names: index 0..15 gives 1 and the name, any
// other index 0 (the signature of the application's GetChannelName).
using ChannelNameSource = std::function<int(int index, QString& name)>;
