// Viewport, projection and the GL state the show draws from.
#pragma once

void SizeOpenGLScreen(int width, int height);
void InitializeOpenGL(int width, int height);
void Init();
