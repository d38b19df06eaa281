// The show clock sampled from the media layer's tick count.
#pragma once

// Seconds since the media layer came up.
float SampleShowClock();
