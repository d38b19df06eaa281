// The view: viewport, projection and the GL state the show draws from.
#pragma once

// The show's own video mode, 4:3; the view starts at this size.
constexpr int kShowWidth = 800;
constexpr int kShowHeight = 600;

// Viewport and perspective projection for a window of this size.
void SizeView(int width, int height);
// The same, and the GL state the show draws from.
void SetUpViewAtSize(int width, int height);
// The view at the show's own size.
void SetUpView();
