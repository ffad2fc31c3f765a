"""Builds the native library and the command-line tool with CMake and puts them inside the package.

The CMake project is the repository this folder belongs to (or TIRMOK_SOURCE_DIR); the build goes to
build/native here unless TIRMOK_CMAKE_BUILD_DIR names another folder.
"""

import os
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Command, setup
from setuptools.command.build_py import build_py
from setuptools.dist import Distribution

try:
    from wheel.bdist_wheel import bdist_wheel
except ImportError:  # building without the wheel package: no wheel tags to set
    bdist_wheel = None

HERE = Path(__file__).resolve().parent


class build_native(Command):
    """Configures and builds libtirmok.so and the tirmok tool (Release, no tests) and copies them into the package."""

    description = "build libtirmok.so and the tirmok tool with CMake"
    user_options = []

    def initialize_options(self):
        self.build_lib = None

    def finalize_options(self):
        self.set_undefined_options("build_py", ("build_lib", "build_lib"))

    def run(self):
        source = Path(os.environ.get("TIRMOK_SOURCE_DIR", HERE.parent)).resolve()
        if not (source / "CMakeLists.txt").is_file():
            sys.exit(f"tirmok: no CMake project at {source}; build from the repository or set TIRMOK_SOURCE_DIR")
        build = Path(os.environ.get("TIRMOK_CMAKE_BUILD_DIR", HERE / "build" / "native")).resolve()
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", str(os.cpu_count() or 2))
        subprocess.check_call([
            "cmake", "-S", str(source), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
            "-DTIRMOK_TESTS=OFF", "-DTIRMOK_TOOLS=ON", "-DTIRMOK_BENCH=OFF",
        ])
        subprocess.check_call(["cmake", "--build", str(build), "-j", jobs, "--target", "tirmok", "tirmok_cli"])
        package = Path(self.build_lib) / "tirmok"
        (package / "bin").mkdir(parents=True, exist_ok=True)
        # The real file behind the versioned symlinks, under the name the package loads.
        shutil.copyfile((build / "libtirmok.so").resolve(), package / "libtirmok.so")
        shutil.copyfile(build / "tirmok", package / "bin" / "tirmok")
        os.chmod(package / "bin" / "tirmok", 0o755)

    def get_outputs(self):
        package = Path(self.build_lib) / "tirmok"
        return [str(package / "libtirmok.so"), str(package / "bin" / "tirmok")]


class build_py_with_native(build_py):
    def run(self):
        super().run()
        self.run_command("build_native")

    def get_outputs(self, include_bytecode=1):
        return super().get_outputs(include_bytecode) + self.get_finalized_command("build_native").get_outputs()


class BinaryDistribution(Distribution):
    """The package carries a native library, so its wheel is for this platform only."""

    def has_ext_modules(self):
        return True


commands = {"build_native": build_native, "build_py": build_py_with_native}
if bdist_wheel is not None:

    class bdist_wheel_native(bdist_wheel):
        def finalize_options(self):
            super().finalize_options()
            self.root_is_pure = False

        def get_tag(self):
            # ctypes, not the Python C API: any Python 3 on this platform loads the library.
            _, _, platform = super().get_tag()
            return "py3", "none", platform

    commands["bdist_wheel"] = bdist_wheel_native

setup(cmdclass=commands, distclass=BinaryDistribution)
