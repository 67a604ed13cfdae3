#pragma once
#include <QString>

class Channel;
class CMessageInterpreter;

// What the program keeps once per channel: its name, its COM port from the port map (both read
// before the channels are made), and the channel once it is. Tables are indexed by channel
// number - 1.
inline constexpr int kChannelCount = 16;

// Reads the sixteen names from section "Channels", writing the default "Channel n" for a name that
// is absent, empty, or unusable in a file name. A name that an earlier channel already has (in any
// case) is replaced by the default, numbered "Channel n (2)" and on while that is taken, and the user
// is told.
void LoadChannelNames();
QString ReadChannelName(int index);
int GetChannelName(int index, QString& name);     // 1 and the name for index 0..15, else 0
void SetChannelName(int index, const QString& name);
int GetChannelPort(int channel);                  // the port map's COM number; 0 for none
void SetChannelPort(int channel, int port);
// Channel n's comms stack; none while the channel is not made.
CMessageInterpreter* GetChannelInterpreter(int channel);
void SetChannel(int channel, Channel* made);

// A name can be part of an archive file name only if it keeps the file inside the Archives folder.
bool IsUsableChannelName(const QString& name);
