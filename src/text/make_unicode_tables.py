#!/usr/bin/env python3
"""Writes the Unicode tables the answer judge folds words with, as C++ arrays.

Usage: make_unicode_tables.py UCD_FOLDER OUTPUT

UCD_FOLDER holds the Unicode Character Database files as Debian's unicode-data
package installs them (/usr/share/unicode): UnicodeData.txt for the general
category, the combining class and the decompositions, and
DerivedNormalizationProps.txt for the composition exclusions and the
NFKC_Casefold mapping. CaseFolding.txt is read only to check that every full
case folding is already in that mapping, so a database whose files disagree is
refused instead of giving a judge that folds differently from the standard.

Written:
- a two-level table of 16-bit properties for every code point (combining
  class, word character, nonspacing mark, and which mappings it has);
- three mappings, each a sorted list of code points with spans into one pool
  of code points: the full compatibility decomposition (NFKD), the full
  canonical decomposition (NFD), and the canonical decomposition of the
  NFKC_Casefold mapping, and that mapping as it stands for the code points
  that fold one at a time;
- the primary composition pairs, sorted by first and second code point, and
  their order by composite, which gives a composite's canonical decomposition.
Hangul syllables are decomposed and composed by their arithmetic, not listed.
"""
import os
import sys

HANGUL_FIRST, HANGUL_LAST = 0xAC00, 0xD7A3
L_BASE, V_BASE, T_BASE = 0x1100, 0x1161, 0x11A7
V_COUNT, T_COUNT = 21, 28
N_COUNT = V_COUNT * T_COUNT

# The property bits; the combining class is the low byte.
WORD = 1 << 8
NONSPACING = 1 << 9
HAS_NFKD = 1 << 10
HAS_NFD = 1 << 11
FOLD_CHANGES = 1 << 12
COMPOSES_BACK = 1 << 13
FOLDS_AWAY = 1 << 14
NFKC_UNSTABLE = 1 << 15
FOLD_SIMPLE = 1 << 16
FOLD_BARE = 1 << 17
# A simple fold to the code point 32 or 1 places on (most capital letters of
# Latin, Greek and Cyrillic), told by the property alone.
FOLD_PLUS_32 = 1 << 18
FOLD_PLUS_1 = 1 << 19

LEAF_BITS = 4
MIDDLE_BITS = 5


def code_points(field):
    if ".." in field:
        first, last = field.split("..")
        return range(int(first, 16), int(last, 16) + 1)
    return [int(field, 16)]


def data_lines(path):
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                yield [part.strip() for part in line.split(";")]


def read_unicode_data(folder):
    category, ccc, decomposition = {}, {}, {}
    range_start = None
    for fields in data_lines(os.path.join(folder, "UnicodeData.txt")):
        cp = int(fields[0], 16)
        name = fields[1]
        if name.endswith(", First>"):
            range_start = cp
            continue
        points = [cp]
        if name.endswith(", Last>"):
            points = range(range_start, cp + 1)
        for p in points:
            category[p] = fields[2]
            if int(fields[3]):
                ccc[p] = int(fields[3])
        if fields[5]:
            parts = fields[5].split()
            compat = parts[0].startswith("<")
            if compat:
                parts = parts[1:]
            decomposition[cp] = (compat, [int(x, 16) for x in parts])
    return category, ccc, decomposition


def read_normalization_props(folder):
    exclusions, nfkc_cf, nfkc_unstable = set(), {}, set()
    for fields in data_lines(os.path.join(folder, "DerivedNormalizationProps.txt")):
        if fields[1] == "Full_Composition_Exclusion":
            exclusions.update(code_points(fields[0]))
        elif fields[1] == "NFKC_QC":
            # No or Maybe: the code point may change under NFKC.
            nfkc_unstable.update(code_points(fields[0]))
        elif fields[1] == "NFKC_CF":
            mapping = [int(x, 16) for x in fields[2].split()] if len(fields) > 2 else []
            for cp in code_points(fields[0]):
                nfkc_cf[cp] = mapping
    return exclusions, nfkc_cf, nfkc_unstable


def hangul_parts(cp):
    index = cp - HANGUL_FIRST
    parts = [L_BASE + index // N_COUNT, V_BASE + (index % N_COUNT) // T_COUNT]
    if index % T_COUNT:
        parts.append(T_BASE + index % T_COUNT)
    return parts


def full_decomposition(cp, decomposition, compat):
    if HANGUL_FIRST <= cp <= HANGUL_LAST:
        return hangul_parts(cp)
    entry = decomposition.get(cp)
    if entry is None or (entry[0] and not compat):
        return [cp]
    out = []
    for part in entry[1]:
        out.extend(full_decomposition(part, decomposition, compat))
    return out


def check_case_folding(folder, nfkc_cf, decomposition):
    """Every full or common case folding must be in the NFKC_Casefold mapping:
    a letter the mapping leaves alone may only fold to its own decomposition."""
    for fields in data_lines(os.path.join(folder, "CaseFolding.txt")):
        cp = int(fields[0], 16)
        folded = []
        for part in fields[2].split():
            folded.extend(full_decomposition(int(part, 16), decomposition, False))
        same = folded == full_decomposition(cp, decomposition, False)
        if fields[1] in ("C", "F") and cp not in nfkc_cf and not same:
            sys.exit("make_unicode_tables.py: %s folds in CaseFolding.txt but not in "
                     "DerivedNormalizationProps.txt" % fields[0])


class Pool:
    """Mapped sequences in UTF-16 code units, each sequence stored once."""

    def __init__(self):
        self.units = []
        self.spans = {}

    def span(self, sequence):
        key = tuple(sequence)
        if key not in self.spans:
            units = []
            for cp in key:
                if cp >= 0x10000:
                    units += [0xD800 + ((cp - 0x10000) >> 10), 0xDC00 + ((cp - 0x10000) & 0x3FF)]
                else:
                    units.append(cp)
            self.spans[key] = (len(self.units), len(units))
            self.units.extend(units)
        return self.spans[key]


def mapping_rows(mapping, pool):
    """Rows of (first code point and count, data), sorted by first code point.
    Code points that map to one code point at the same distance, one after
    another or every second one, share a row (data: bit 31, the stride in bit
    22, the distance in bits 0-21); any other mapping is a row of its own
    (data: length << 16 | offset into the pool). A row never spans a code point
    of another row, so the last row that starts at or before a code point is
    the only one that can hold it."""
    rows = []
    points = sorted(mapping)
    i = 0
    while i < len(points):
        cp = points[i]
        target = mapping[cp]
        if len(target) == 1 and abs(target[0] - cp) < 1 << 21:
            delta = target[0] - cp
            best, best_stride = 1, 1
            for stride in (1, 2):
                n = 1
                while True:
                    nxt = cp + n * stride
                    if nxt not in mapping or mapping[nxt] != [nxt + delta] or n >= 2047:
                        break
                    if stride == 2 and nxt - 1 in mapping:
                        break
                    if i + n >= len(points) or points[i + n] != nxt:
                        break
                    n += 1
                if n > best:
                    best, best_stride = n, stride
            data = (1 << 31) | ((best_stride - 1) << 22) | (delta & 0x3FFFFF)
            rows.append((cp, best, data))
            i += best
            continue
        offset, length = pool.span(target)
        if length > 255 or offset > 0xFFFF:
            sys.exit("make_unicode_tables.py: a mapping does not fit its row")
        rows.append((cp, 1, (length << 16) | offset))
        i += 1
    return ["{0x%X, 0x%X}," % ((count << 21) | cp, data) for cp, count, data in rows]


def two_level(indices):
    """Splits the code space into leaves of 2**LEAF_BITS value indices and
    middles of 2**MIDDLE_BITS leaves; equal leaves and middles are stored once."""
    leaves, leaf_ids, middles, middle_ids, top = [], {}, [], {}, []
    leaf_size = 1 << LEAF_BITS
    middle_size = 1 << MIDDLE_BITS
    leaf_of = []
    for start in range(0, 0x110000, leaf_size):
        leaf = tuple(indices[start:start + leaf_size])
        if leaf not in leaf_ids:
            leaf_ids[leaf] = len(leaves)
            leaves.append(leaf)
        leaf_of.append(leaf_ids[leaf])
    for start in range(0, len(leaf_of), middle_size):
        middle = tuple(leaf_of[start:start + middle_size])
        if middle not in middle_ids:
            middle_ids[middle] = len(middles)
            middles.append(middle)
        top.append(middle_ids[middle])
    return top, middles, leaves


def c_array(kind, name, values, per_line=16):
    lines = ["constexpr %s %s[%d] = {" % (kind, name, len(values))]
    for i in range(0, len(values), per_line):
        lines.append("    " + ", ".join(str(v) for v in values[i:i + per_line]) + ",")
    lines.append("};")
    return lines


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    folder, output = sys.argv[1], sys.argv[2]
    for name in ("UnicodeData.txt", "DerivedNormalizationProps.txt", "CaseFolding.txt"):
        if not os.path.isfile(os.path.join(folder, name)):
            sys.exit("make_unicode_tables.py: %s is missing from %s (Debian's unicode-data "
                     "package installs it)" % (name, folder))
    category, ccc, decomposition = read_unicode_data(folder)
    exclusions, nfkc_cf, nfkc_unstable = read_normalization_props(folder)
    check_case_folding(folder, nfkc_cf, decomposition)

    pairs = {}
    for cp, (compat, parts) in decomposition.items():
        if not compat and len(parts) == 2 and cp not in exclusions:
            pairs[(parts[0], parts[1])] = cp
    composites = set(pairs.values())

    # The canonical decomposition of a primary composite comes from the
    # composition pairs; the compatibility decomposition is listed only where
    # it differs from the canonical one; the fold only for code points that
    # NFKC text can hold (no decomposition, or a primary composite), since
    # words are folded after NFKC.
    nfkd, nfd, fold, folds_away, has_nfd = {}, {}, {}, set(), set()
    for cp in decomposition:
        full = full_decomposition(cp, decomposition, True)
        canonical = full_decomposition(cp, decomposition, False)
        if canonical != [cp]:
            has_nfd.add(cp)
            if cp not in composites:
                nfd[cp] = canonical
        if full != canonical:
            nfkd[cp] = full
    for cp, mapping in nfkc_cf.items():
        if mapping == [cp]:
            continue
        if not mapping:
            folds_away.add(cp)
            continue
        if cp in decomposition and cp not in composites:
            continue
        out = []
        for part in mapping:
            out.extend(full_decomposition(part, decomposition, False))
        fold[cp] = out

    values = [0] * 0x110000
    for cp in range(0x110000):
        gc = category.get(cp, "Cn")
        v = ccc.get(cp, 0)
        if gc[0] in "LMN" or cp in (0x200C, 0x200D):
            v |= WORD
        if gc == "Mn":
            v |= NONSPACING
        if cp in nfkd:
            v |= HAS_NFKD
        if cp in has_nfd:
            v |= HAS_NFD
        if cp in fold:
            v |= FOLD_CHANGES
        if cp in folds_away:
            v |= FOLDS_AWAY
        if cp in nfkc_unstable:
            v |= NFKC_UNSTABLE
        values[cp] = v
    for first, second in pairs:
        values[second] |= COMPOSES_BACK
    for cp in list(range(V_BASE, V_BASE + V_COUNT)) + list(range(T_BASE + 1, T_BASE + T_COUNT)):
        values[cp] |= COMPOSES_BACK

    # A simple fold: the code point, or what NFKC_Casefold maps it to (which is
    # composed already), holds only starters that nothing composes onto, so a
    # word of such code points folds one code point at a time, with no
    # decomposing, reordering or composing. A bare one also holds no accent to
    # take off: no canonical decomposition and no nonspacing mark.
    def starter(cp):
        return (values[cp] & 0xFF) == 0 and not values[cp] & COMPOSES_BACK

    def bare(cp):
        return not values[cp] & (HAS_NFD | NONSPACING) and not HANGUL_FIRST <= cp <= HANGUL_LAST

    simple_fold = {}
    for cp in range(0x110000):
        if cp in folds_away or (cp in decomposition and cp not in composites):
            continue
        target = nfkc_cf.get(cp, [cp])
        if all(starter(t) for t in target):
            values[cp] |= FOLD_SIMPLE
            if all(bare(t) for t in target):
                values[cp] |= FOLD_BARE
            if target == [cp + 32]:
                values[cp] |= FOLD_PLUS_32
            elif target == [cp + 1]:
                values[cp] |= FOLD_PLUS_1
            elif target != [cp]:
                simple_fold[cp] = target

    distinct = sorted(set(values))
    if len(distinct) > 256:
        sys.exit("make_unicode_tables.py: more than 256 kinds of code point")
    index_of = {v: i for i, v in enumerate(distinct)}
    top, middles, leaves = two_level([index_of[v] for v in values])
    if len(middles) > 256 or len(leaves) > 65536:
        sys.exit("make_unicode_tables.py: the property table does not fit its index types")

    pool = Pool()
    out = ["// Generated by make_unicode_tables.py from the Unicode Character Database; do not edit.",
           'constexpr const char* kUnicodeVersion = "%s";' % unicode_version(folder)]
    out.append("constexpr int kLeafBits = %d;" % LEAF_BITS)
    out.append("constexpr int kMiddleBits = %d;" % MIDDLE_BITS)
    out += c_array("uint32_t", "kPropertyValues", distinct, 8)
    out += c_array("uint8_t", "kPropertyTop", top)
    out += c_array("uint16_t", "kPropertyMiddles", [x for m in middles for x in m])
    out += c_array("uint8_t", "kPropertyLeaves", [x for leaf in leaves for x in leaf])
    for name, mapping in (("kNfkd", nfkd), ("kNfd", nfd), ("kFold", fold),
                          ("kSimpleFold", simple_fold)):
        out.append("constexpr CMapping %s[] = {" % name)
        out += mapping_rows(mapping, pool)
        out.append("};")
    out += c_array("char16_t", "kMappingPool", pool.units)
    ordered_pairs = sorted(pairs.items())
    # first << 42 | second << 21 | composite: sorted by first, then second.
    out.append("constexpr uint64_t kCompositions[] = {")
    for (first, second), composite in ordered_pairs:
        out.append("0x%XULL," % ((first << 42) | (second << 21) | composite))
    out.append("};")
    by_composite = sorted(range(len(ordered_pairs)), key=lambda i: ordered_pairs[i][1])
    out += c_array("uint16_t", "kCompositionsByComposite", by_composite)
    with open(output, "w", encoding="ascii") as f:
        f.write("\n".join(out) + "\n")


def unicode_version(folder):
    with open(os.path.join(folder, "DerivedNormalizationProps.txt"), encoding="utf-8") as f:
        first = f.readline()
    # "# DerivedNormalizationProps-15.0.0.txt"
    return first.strip().lstrip("# ").replace("DerivedNormalizationProps-", "").replace(".txt", "")


if __name__ == "__main__":
    main()
