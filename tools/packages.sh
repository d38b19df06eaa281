# The Debian packages that building the project needs, sourced by the scripts
# that build it (run.sh, test.sh, bench.sh, package.sh, tools/preview.sh); each
# adds its own extras and installs them all with one tools/install-packages.sh.
build_packages=(
    cmake make g++ pkg-config ca-certificates
    # The show: SDL 1.2, SDL_mixer 1.2, OpenGL with GLU.
    libsdl1.2-compat-dev libsdl-mixer1.2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri
    # The capture program: EGL off screen, FFmpeg's libraries, libmikmod for the music.
    libegl1 libegl-mesa0 libegl-dev libavformat-dev libavcodec-dev libswscale-dev
    libswresample-dev libavutil-dev libmikmod-dev
    # The desktop icon, cut out of a captured frame and written with libpng.
    libpng-dev
)
