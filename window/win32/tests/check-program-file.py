#!/usr/bin/env python3
"""Checks the Windows program file without running it: the kind of PE file
for its build (PE32 for i386, or PE32+ for x86-64), the header of a GUI
program for Windows 7 and later, imports of Windows 7's KnownDLLs only (and
of Common Controls through the manifest) and of the functions Windows 7 has
only (windows7-imports.txt beside this file), the manifest, the version
record and the three icon images. The version is the build's (project() in
CMakeLists.txt), given as four numbers joined by points, as Windows needs it
however many project() names.

    check-program-file.py [--ca <CA file>] <yuchanqi.exe> i386|x86-64 <version>
    check-program-file.py [--ca <CA file>] --setup <setup.exe> i386|x86-64 <yuchanqi.ico> <version>
    check-program-file.py [--ca <CA file>] --signature <file.exe>...

With --setup it checks the setup program instead: the kind of PE file, a GUI
program that can move in memory and runs no data, imports of KnownDLLs only
(Common Controls through its manifest), the manifest (Common Controls 6, the
invoker's rights), the version record (Chinese, PRC, with the program's
names and version) and the program's icon, and that SHA256SUMS beside it
lists it with its hash.

With --ca, the file carries an Authenticode signature that osslsigncode
verifies against the CA given (SHA-256, with the description 预产期计算器);
without, it carries none. --signature checks only that.

Prints one line per check and closes with "N passed, M failed".
"""
import hashlib
import os
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

MACHINES = {"i386": (0x014C, 0x10B), "x86-64": (0x8664, 0x20B)}
ARCHITECTURES = {"i386": {"x86", "*"}, "x86-64": {"amd64", "*"}}
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
LANG_ZH_CN = 0x0804
DYNAMIC_BASE, NX_COMPAT, TERMINAL_SERVER_AWARE, HIGH_ENTROPY_VA = 0x40, 0x100, 0x8000, 0x20
WINDOWS_7_TO_11 = {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                   "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}
ASM_V1, ASM_V3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
# The DLLs Windows 7 always loads from its system folder, whatever lies in
# the program's folder: its KnownDLLs (the registry's Session Manager\KnownDLLs)
# and ntdll. A static import of any other DLL is looked for in the program's
# folder first, before any code of the program runs, so a DLL planted there
# would be loaded. OLEAUT32, a KnownDLL too, is left out on purpose: only the
# screen-reader names need it, and they load it at run time from the system
# folder, as they load oleacc and ole32.
WINDOWS_7_KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "difxapi.dll", "gdi32.dll", "iertutil.dll",
    "imagehlp.dll", "imm32.dll", "kernel32.dll", "lpk.dll", "msctf.dll", "msvcrt.dll",
    "normaliz.dll", "nsi.dll", "ntdll.dll", "ole32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll",
    "setupapi.dll", "shell32.dll", "shlwapi.dll", "urlmon.dll", "user32.dll", "usp10.dll",
    "wininet.dll", "wldap32.dll", "ws2_32.dll"}
# Common Controls 6 comes from Windows' side-by-side store, as the manifest
# asks, never from the program's folder.
COMMON_CONTROLS = "comctl32.dll"


def allowed_imports():
    """{dll: {function}} from windows7-imports.txt."""
    allowed, dll = {}, None
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "windows7-imports.txt"),
              encoding="utf-8") as listing:
        for line in listing:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            if line.startswith("["):
                dll = allowed.setdefault(line.strip("[]").lower(), set())
            else:
                dll.add(line)
    return allowed


class PeFile:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        self.machine, sections, _, _, _, optional_size, self.characteristics = \
            struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        self.subsystem_version = struct.unpack_from("<HH", data, opt + 48)
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, opt + 68)
        directories = opt + (96 if self.magic == 0x10B else 112)
        # Exports, imports, resources, exceptions, and the certificate table
        # (a file offset, not an address).
        self.directory = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(5)]
        table = opt + optional_size
        self.sections = [struct.unpack_from("<IIII", data, table + 40 * i + 8)
                         for i in range(sections)]

    def offset(self, rva):
        for virtual_size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return rva - address + raw
        raise ValueError(f"address {rva:#x} lies in no section")

    def cstring(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        """{dll: [function name, or #ordinal]} of the import table."""
        rva = self.directory[1][0]
        size, ordinal_flag = (4, 1 << 31) if self.magic == 0x10B else (8, 1 << 63)
        found = {}
        while rva:
            entry = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if not any(entry):
                break
            functions = found.setdefault(self.cstring(entry[3]), [])
            thunk = entry[0] or entry[4]
            while True:
                value = int.from_bytes(self.data[self.offset(thunk):self.offset(thunk) + size], "little")
                if value == 0:
                    break
                functions.append(f"#{value & 0xFFFF}" if value & ordinal_flag
                                 else self.cstring(value + 2))
                thunk += size
            rva += 20
        return found

    def resources(self):
        """{(type, id): (language, bytes)} for the resources with numeric ids."""
        if not self.directory[2][0]:
            return {}
        base = self.offset(self.directory[2][0])

        def entries(table):
            named, numbered = struct.unpack_from("<HH", self.data, base + table + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, base + table + 16 + 8 * i)
                yield ident, target

        found = {}
        for kind, types in entries(0):
            for ident, names in entries(types & 0x7FFFFFFF):
                for language, leaf in entries(names & 0x7FFFFFFF):
                    rva, size = struct.unpack_from("<II", self.data, base + leaf)
                    start = self.offset(rva)
                    found[(kind, ident)] = (language, self.data[start:start + size])
        return found


def version_nodes(data, at=0):
    """Walks a version record: yields (path, value bytes, type) of every node."""
    def walk(at, parent):
        length, value_length, kind = struct.unpack_from("<HHH", data, at)
        key_end = at + 6
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[at + 6:key_end].decode("utf-16-le")
        value_at = (key_end + 2 + 3) & ~3
        value_size = value_length * 2 if kind == 1 else value_length
        path = parent + "\\" + key if parent else key
        yield path, data[value_at:value_at + value_size], kind
        child = (value_at + value_size + 3) & ~3
        while child < at + length:
            child_length = struct.unpack_from("<H", data, child)[0]
            if child_length == 0:
                break
            yield from walk(child, path)
            child = (child + child_length + 3) & ~3
    yield from walk(at, "")


def asks_for_common_controls_6(root):
    """Whether the manifest makes Windows take comctl32.dll from its
    side-by-side store: a dependency on Common Controls 6.0.0.0."""
    return any(d.get("name") == "Microsoft.Windows.Common-Controls" and d.get("version") == "6.0.0.0"
               and d.get("publicKeyToken") == "6595b64144ccf1df"
               for d in root.iter(ASM_V1 + "assemblyIdentity"))


def check_manifest(root, machine, version, check):
    """What the manifest asks of Windows: Common Controls 6, the invoker's
    rights, Windows 7 to 11, per-monitor DPI, and the build's architecture
    and version."""
    identity = root.find(ASM_V1 + "assemblyIdentity")
    architecture = identity.get("processorArchitecture") if identity is not None else None
    check(architecture in ARCHITECTURES[machine], f"manifest architecture fits {machine}",
          str(architecture))
    named = identity.get("version") if identity is not None else None
    # Windows refuses to start a program whose manifest version has fewer
    # than four numbers (a side-by-side error); Wine starts it all the same.
    check(bool(version_numbers(named or "")), "manifest version has four numbers, as Windows needs",
          str(named))
    check(named == version, f"manifest names the program's version {version}", str(named))
    controls = [d for d in root.iter(ASM_V1 + "assemblyIdentity")
                if d.get("name") == "Microsoft.Windows.Common-Controls"]
    check(controls and controls[0].get("version") == "6.0.0.0"
          and controls[0].get("publicKeyToken") == "6595b64144ccf1df",
          "manifest asks for Common Controls 6.0.0.0")
    level = [e.get("level") for e in root.iter(ASM_V3 + "requestedExecutionLevel")]
    check(level == ["asInvoker"], "manifest asks to run as invoker", str(level))
    supported = {e.get("Id").lower() for e in root.iter(COMPATIBILITY + "supportedOS")}
    check(supported == WINDOWS_7_TO_11, "manifest supports Windows 7, 8, 8.1 and 10/11",
          str(sorted(supported)))
    aware = [e.text for e in root.iter(SETTINGS_2005 + "dpiAware")]
    awareness = [e.text for e in root.iter(SETTINGS_2016 + "dpiAwareness")]
    check(aware == ["true/pm"], "manifest: per-monitor DPI on Windows 8.1, the system's before",
          str(aware))
    check([a.replace(" ", "").split(",") for a in awareness] == [["PerMonitorV2", "PerMonitor"]],
          "manifest: PerMonitorV2, else per-monitor DPI on Windows 10", str(awareness))


def icon_images(ico):
    """[(width, height, bit count, image bytes)] of an .ico file."""
    count = struct.unpack_from("<H", ico, 4)[0]
    images = []
    for i in range(count):
        width, height, _, _, _, bit_count, size, offset = struct.unpack_from("<BBBBHHII", ico, 6 + 16 * i)
        images.append((width, height, bit_count, ico[offset:offset + size]))
    return images


def check_imports_known(imports, root, check):
    """Every imported DLL is one Windows always takes from its system folder."""
    check(imports, "the import table is read")
    for dll in imports:
        safe = dll.lower() in WINDOWS_7_KNOWN_DLLS or (
            dll.lower() == COMMON_CONTROLS and root is not None and asks_for_common_controls_6(root))
        check(safe, f"imports {dll}, which Windows never takes from the program's folder",
              "not among the KnownDLLs this check allows: a DLL of that name beside the program"
              " could be loaded; load it at run time from the system folder instead")


class Checks:
    """Prints one line a check, "ok: what" or "FAIL: what -- detail", and
    closes with "N passed, M failed"."""

    def __init__(self):
        self.results = []

    def __call__(self, ok, what, detail=""):
        print(f"{'ok' if ok else 'FAIL'}: {what}{' -- ' + detail if detail and not ok else ''}")
        self.results.append(bool(ok))
        return ok

    def summary(self):
        """Prints the closing line; the exit status: 0 where every check passed."""
        passed = sum(self.results)
        print(f"{passed} passed, {len(self.results) - passed} failed")
        return 0 if self.results and all(self.results) else 1


def check_signature(pe, path, ca, check, who):
    """Unsigned without a CA; with one, an Authenticode signature that
    osslsigncode verifies against it: SHA-256, described as 预产期计算器."""
    offset, size = pe.directory[4]
    if not ca:
        check(size == 0, f"{who}: unsigned, as no certificate was given", f"a certificate table of {size} bytes")
        return
    kind = struct.unpack_from("<H", pe.data, offset + 6)[0] if size >= 8 and offset + size <= len(pe.data) else 0
    if not check(kind == 2, f"{who}: carries an Authenticode signature (PKCS#7 signed data)",
                 f"certificate table at {offset:#x}, {size} bytes, type {kind}"):
        return
    result = subprocess.run(["osslsigncode", "verify", "-CAfile", ca, "-in", path], capture_output=True,
                            encoding="utf-8", errors="replace", check=False)
    report = result.stdout + result.stderr
    check(result.returncode == 0 and "Signature verification: ok" in report,
          f"{who}: osslsigncode verifies the signature against {os.path.basename(ca)}", report)
    check(re.search(r"Message digest algorithm\s*:\s*SHA256", report), f"{who}: the signature's digest is SHA-256")
    check("Text description: 预产期计算器" in report, f"{who}: the signature's description is 预产期计算器")


def check_setup(path, machine_name, icon_path, version, ca):
    """The setup program, read without running it."""
    check = Checks()

    machine, magic = MACHINES[machine_name]
    with open(path, "rb") as f:
        pe = PeFile(f.read())
    check(pe.machine == machine and pe.magic == magic,
          f"setup: {'PE32' if magic == 0x10B else 'PE32+'} file for {machine_name}",
          f"machine {pe.machine:#x}, optional header {pe.magic:#x}")
    check(pe.subsystem == 2, "setup: a Windows GUI program", f"subsystem {pe.subsystem}")
    for name, flag in {"DYNAMIC_BASE": DYNAMIC_BASE, "NX_COMPAT": NX_COMPAT}.items():
        check(pe.dll_characteristics & flag, f"setup: header flag {name}", f"{pe.dll_characteristics:#x}")

    resources = pe.resources()
    manifest = resources.get((RT_MANIFEST, 1), (None, b""))[1]
    root = ElementTree.fromstring(manifest) if manifest else None
    if check(root is not None, "setup: has a manifest"):
        check(asks_for_common_controls_6(root), "setup: manifest asks for Common Controls 6.0.0.0")
        level = [e.get("level") for e in root.iter(ASM_V3 + "requestedExecutionLevel")]
        check(level == ["asInvoker"], "setup: manifest asks to run as invoker, no administrator",
              str(level))
    imports = pe.imports()
    print("setup imports: " + ", ".join(f"{dll} ({len(f)})" for dll, f in imports.items()))
    check_imports_known(imports, root, check)

    versions = [(kind, ident) for kind, ident in resources if kind == RT_VERSION]
    language, record = resources.get((RT_VERSION, 1), (None, b""))
    if check(record, "setup: has a version record", str(versions)):
        check(language == LANG_ZH_CN, "setup: the version record is tagged Chinese (PRC)", f"{language:#x}")
        nodes = {path.lower(): (value, kind) for path, value, kind in version_nodes(record)}
        fixed = nodes.get("vs_version_info", (b"", 0))[0]
        versions = struct.unpack_from("<IIIIII", fixed) if len(fixed) >= 24 else ()
        numbers = version_numbers(version)
        most, least = numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3]
        check(versions[:1] + versions[2:] == (0xFEEF04BD, most, least, most, least),
              f"setup: file and product version {version}", repr(versions))
        translation = nodes.get("vs_version_info\\varfileinfo\\translation", (b"", 0))[0]
        block = (f"{struct.unpack_from('<H', translation)[0]:04x}{struct.unpack_from('<H', translation, 2)[0]:04x}"
                 if len(translation) >= 4 else "")
        check(block.startswith("0804"), "setup: translation 0x0804 (Chinese, PRC)", block)
        strings = {"CompanyName": "Tavoren软件", "ProductName": "Tavoren预产期计算器",
                   "FileVersion": "1.00", "ProductVersion": "1.00",
                   "LegalCopyright": "Copyright © 2011 Tavoren软件",
                   "OriginalFilename": os.path.basename(path)}
        for key, expected in strings.items():
            value, _ = nodes.get(f"vs_version_info\\stringfileinfo\\{block}\\{key.lower()}", (b"", 1))
            got = value.decode("utf-16-le").rstrip("\0")
            check(got == expected, f"setup: version string {key} is {expected}", got)

    with open(icon_path, "rb") as f:
        wanted = icon_images(f.read())
    groups = [(ident, data) for (kind, ident), (_, data) in resources.items() if kind == RT_GROUP_ICON]
    if check(len(groups) == 1, "setup: has one icon", str(len(groups))):
        group = groups[0][1]
        count = struct.unpack_from("<H", group, 4)[0]
        images = []
        for i in range(count):
            width, height, _, _, _, bit_count, _, ident = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            images.append((width, height, bit_count, resources.get((RT_ICON, ident), (0, b""))[1]))
        check(sorted(images) == sorted(wanted), "setup: its icon is the program's, image for image",
              f"{[(w, h, b, len(d)) for w, h, b, d in images]} against "
              f"{[(w, h, b, len(d)) for w, h, b, d in wanted]}")

    check_signature(pe, path, ca, check, "setup")
    sums = os.path.join(os.path.dirname(os.path.abspath(path)), "SHA256SUMS")
    listed = open(sums, encoding="utf-8").read() if os.path.exists(sums) else ""
    line = f"{hashlib.sha256(pe.data).hexdigest()}  {os.path.basename(path)}\n"
    check(line in listed, "setup: SHA256SUMS beside it lists it with its SHA-256", listed)

    return check.summary()


def version_numbers(version):
    """[a, b, c, d] of "a.b.c.d", or [] for anything else."""
    return [int(n) for n in version.split(".")] if re.fullmatch(r"\d+(\.\d+){3}", version) else []


def check_signatures(paths, ca):
    """--signature: only the signature of each file."""
    check = Checks()
    for path in paths:
        with open(path, "rb") as f:
            check_signature(PeFile(f.read()), path, ca, check, os.path.basename(path))
    return check.summary()


def main():
    ca = None
    if len(sys.argv) > 2 and sys.argv[1] == "--ca":
        ca = sys.argv[2]
        del sys.argv[1:3]
    if len(sys.argv) > 2 and sys.argv[1] == "--signature":
        return check_signatures(sys.argv[2:], ca)
    if len(sys.argv) == 6 and sys.argv[1] == "--setup" and sys.argv[3] in MACHINES and version_numbers(sys.argv[5]):
        return check_setup(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5], ca)
    version = sys.argv[3] if len(sys.argv) == 4 else ""
    numbers = version_numbers(version)
    if not numbers or sys.argv[2] not in MACHINES:
        print(__doc__)
        return 2
    check = Checks()

    machine, magic = MACHINES[sys.argv[2]]
    with open(sys.argv[1], "rb") as f:
        pe = PeFile(f.read())
    check(pe.machine == machine and pe.magic == magic,
          f"{'PE32' if magic == 0x10B else 'PE32+'} file for {sys.argv[2]}",
          f"machine {pe.machine:#x}, optional header {pe.magic:#x}")
    check(pe.subsystem == 2, "a Windows GUI program", f"subsystem {pe.subsystem}")
    check(pe.subsystem_version == (6, 1), "subsystem version 6.1 (Windows 7)",
          "%d.%d" % pe.subsystem_version)
    wanted = {"DYNAMIC_BASE": DYNAMIC_BASE, "NX_COMPAT": NX_COMPAT,
              "TERMINAL_SERVER_AWARE": TERMINAL_SERVER_AWARE}
    if sys.argv[2] == "x86-64":
        wanted["HIGH_ENTROPY_VA"] = HIGH_ENTROPY_VA
    for name, flag in wanted.items():
        check(pe.dll_characteristics & flag, f"header flag {name}", f"{pe.dll_characteristics:#x}")

    resources = pe.resources()
    manifest = resources.get((RT_MANIFEST, 1), (None, b""))[1]
    root = ElementTree.fromstring(manifest) if manifest else None

    allowed = allowed_imports()
    imports = pe.imports()
    check_imports_known(imports, root, check)
    for dll, functions in imports.items():
        known = allowed.get(dll.lower())
        if check(known is not None, f"imports {dll}, one of Windows' own"):
            unknown = [f for f in functions if f not in known]
            check(not unknown, f"imports from {dll} only functions Windows 7 has ({len(functions)})",
                  "not in windows7-imports.txt: " + ", ".join(unknown))

    language, record = resources.get((RT_VERSION, 1), (None, b""))
    if check(record, "the program has a version record"):
        check(language == LANG_ZH_CN, "the version record is tagged Chinese (PRC)", f"{language:#x}")
        nodes = {path: (value, kind) for path, value, kind in version_nodes(record)}
        fixed = nodes.get("VS_VERSION_INFO", (b"", 0))[0]
        versions = struct.unpack_from("<IIIIII", fixed) if len(fixed) >= 24 else ()
        most, least = numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3]
        check(versions == (0xFEEF04BD, 0x10000, most, least, most, least),
              f"file and product version {version}", repr(versions))
        strings = {"CompanyName": "Tavoren软件", "ProductName": "Tavoren预产期计算器",
                   "InternalName": "Tavoren预产期计算器1.0", "FileVersion": "1.00",
                   "ProductVersion": "1.00", "OriginalFilename": "yuchanqi.exe"}
        for key, expected in strings.items():
            value, _ = nodes.get("VS_VERSION_INFO\\StringFileInfo\\080404B0\\" + key, (b"", 1))
            got = value.decode("utf-16-le").rstrip("\0")
            check(got == expected, f"version string {key} in block 080404B0", got)
        translation = nodes.get("VS_VERSION_INFO\\VarFileInfo\\Translation", (b"", 0))[0]
        check(translation[:4] == struct.pack("<HH", 0x0804, 1200), "translation 0x0804, 1200")

    if check(root is not None, "the program has a manifest"):
        check_manifest(root, sys.argv[2], version, check)

    group = resources.get((RT_GROUP_ICON, 1), (None, b""))[1]
    count = struct.unpack_from("<H", group, 4)[0] if len(group) >= 6 else 0
    if check(count == 3, "the icon holds three images", f"{count}"):
        wanted = [(32, 2, 1), (32, 16, 4), (16, 16, 4)]
        for i, (size, colours, bits) in enumerate(wanted):
            width, height, palette, _, _, bit_count, _, ident = \
                struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            check((width, height, palette, bit_count) == (size, size, colours, bits)
                  and (RT_ICON, ident) in resources,
                  f"icon image {i + 1}: {size}x{size} in {colours} colours",
                  f"{width}x{height}, {palette} colours, {bit_count} bits")

    check_signature(pe, sys.argv[1], ca, check, "the program")

    return check.summary()


if __name__ == "__main__":
    sys.exit(main())
