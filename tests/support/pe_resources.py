"""The resources of a PE file, read from its resource directory: the tests' own
reader, so that what the builder wrote is checked without Windows' help.

    resources(path) -> {(type, name, language): bytes}

Types and names are integers or upper-case strings, as the directory holds them
(names are compared without regard to case, so they are upper-cased here). In a
packed file a resource's bytes may lie in a section that has none in the file: its
value is then None."""
import struct

RT_ICON, RT_RCDATA, RT_GROUP_ICON, RT_MANIFEST = 3, 10, 14, 24


def _sections(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    rsrc_rva, rsrc_size = struct.unpack_from("<II", data, directories + 2 * 8)
    table = optional + optional_size
    sections = [struct.unpack_from("<8sIIII", data, table + 40 * i) for i in range(count)]
    return rsrc_rva, rsrc_size, [(name.rstrip(b"\0"), rva, max(virtual, raw_size), raw_size, raw)
                                 for name, virtual, rva, raw_size, raw in sections]


def section_names(path):
    with open(path, "rb") as f:
        return [section[0].decode() for section in _sections(f.read())[2]]


def resources(path):
    with open(path, "rb") as f:
        data = f.read()
    rsrc_rva, _, sections = _sections(data)
    if rsrc_rva == 0:
        return {}

    def offset_of(rva, size=0):
        for _, start, extent, raw_size, raw in sections:
            if start <= rva < start + extent:
                return raw + rva - start if rva + size <= start + raw_size else None
        raise ValueError("RVA %#x is in no section" % rva)

    base = offset_of(rsrc_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<12xHH", data, base + directory)
        for i in range(named + numbered):
            key, target = struct.unpack_from("<II", data, base + directory + 16 + 8 * i)
            if key & 0x80000000:
                at = base + (key & 0x7FFFFFFF)
                length = struct.unpack_from("<H", data, at)[0]
                key = data[at + 2:at + 2 + 2 * length].decode("utf-16-le").upper()
            yield key, target

    found = {}
    for type_, names in entries(0):
        for name, languages in entries(names & 0x7FFFFFFF):
            for language, leaf in entries(languages & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                start = offset_of(rva, size)
                found[(type_, name, language)] = None if start is None else data[start:start + size]
    return found


CONTROL_CLASSES = {0x80: "Button", 0x81: "Edit", 0x82: "Static", 0x83: "ListBox", 0x84: "ScrollBar", 0x85: "ComboBox"}


def _class_name(window_class):
    """The predefined classes by name, whether stored as an ordinal or as text in any
    letter case."""
    if isinstance(window_class, int):
        return CONTROL_CLASSES.get(window_class, window_class)
    return next((name for name in CONTROL_CLASSES.values() if name.upper() == window_class.upper()), window_class)


def dialog_template(data):
    """An extended dialog template: its head and its controls, each a dict of
    id, class, text, style, exstyle and rect (x, y, width, height)."""
    at = [0]

    def take(fmt):
        values = struct.unpack_from("<" + fmt, data, at[0])
        at[0] += struct.calcsize("<" + fmt)
        return values

    def text_or_ordinal():
        if struct.unpack_from("<H", data, at[0])[0] == 0xFFFF:
            return take("HH")[1]
        end = at[0]
        while data[end:end + 2] != b"\0\0":
            end += 2
        text = data[at[0]:end].decode("utf-16-le")
        at[0] = end + 2
        return text

    version, signature, _, exstyle, style, count, x, y, cx, cy = take("HHIIIHhhhh")
    if (version, signature) != (1, 0xFFFF):
        raise ValueError("not an extended dialog template")
    head = dict(style=style, exstyle=exstyle, rect=(x, y, cx, cy), menu=text_or_ordinal(),
                window_class=text_or_ordinal(), caption=text_or_ordinal())
    if style & 0x40:  # DS_SETFONT
        head["points"], head["weight"], head["italic"], head["charset"] = take("HHBB")
        head["font"] = text_or_ordinal()
    controls = []
    for _ in range(count):
        at[0] = (at[0] + 3) & ~3
        _, exstyle, style, x, y, cx, cy, id_ = take("IIIhhhhI")
        window_class = text_or_ordinal()
        text = text_or_ordinal()
        extra = take("H")[0]
        at[0] += extra
        controls.append(dict(id=id_ if id_ != 0xFFFF and id_ != 0xFFFFFFFF else None,
                             window_class=_class_name(window_class), text=text,
                             style=style, exstyle=exstyle, rect=(x, y, cx, cy)))
    return head, controls
