#!/usr/bin/env python3
"""Checks the embedded locale documents of the installer.

Usage: python3 tests/locale/check_locales.py <repo root>

Every document must parse, carry exactly the keys of its kind in the
expected order with non-empty values, and every translation must keep the
key references ({KEY}), page placeholders ([NAME]), link anchors and line
breaks of its English document. Exits non-zero on any fault.
"""

import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

DLM_KEYS = [
    "SPLASH_TEXT", "WELCOME_TITLE", "WELCOME_TEXT", "PRIVACY_LINK", "TOS_LINK", "SDK_LINK",
    "PROGRESS_TITLE", "PROGRESS_DESC", "PROGRESS_STAT_TEXT", "PROGRESS_STATUS",
    "PROGRESS_STATUS_START", "PRODUCT_DISCLAIMER", "PAGE_FINISH_TITLE", "PAGE_FINISH_TEXT",
    "LAUNCH_RADIO", "OPEN_FOLDER_RADIO", "OPEN_PRODUCT_SITE_CHECKBOX",
    "PAGE_DOWNLOAD_ERROR_TITLE", "PAGE_DOWNLOAD_ERROR_DESC", "PAGE_CONFIGURATION_ERROR_TITLE",
    "PAGE_CONFIGURATION_ERROR_DESC", "BUTTON_DECLINE", "BUTTON_CLOSE", "BUTTON_ACCEPT",
    "BUTTON_NEXT", "BUTTON_RETRY", "BUTTON_FINISH", "BUTTON_SKIP_ALL", "MSG_EXIT", "PROGRESS_QUIT",
]

ISV_KEYS = [
    "SPLASH_TEXT", "WELCOME_TITLE", "WELCOME_TEXT", "PRIVACY_LINK", "EULA_LINK", "SDK_LINK",
    "PROGRESS_TITLE", "PROGRESS_DESC", "PROGRESS_STAT_TEXT", "PROGRESS_STAT_INSTALLING",
    "PROGRESS_STAT_FINISHED", "PROGRESS_STATUS_MAIN", "PROGRESS_STATUS", "PROGRESS_STATUS_START",
    "PRODUCT_DISCLAIMER", "PAGE_FINISH_TITLE", "PAGE_FINISH_TEXT", "LAUNCH_CHECKBOX",
    "UNINSTALL_TEXT", "PAGE_ERROR_TITLE", "PAGE_ERROR_TEXT", "BUTTON_DECLINE", "BUTTON_CLOSE",
    "BUTTON_ACCEPT", "BUTTON_NEXT", "BUTTON_RETRY", "BUTTON_FINISH", "BUTTON_SKIP_ALL",
    "BUTTON_AGREE", "BUTTON_BACK", "MSG_EXIT", "PROGRESS_QUIT",
]

# PRODUCT_TITLE is deliberately absent: an element of that name would
# replace the title that comes from the remote configuration.
BT_KEYS = [
    "SPLASH_TITLE_BT", "SPLASH_TEXT_BT", "LICENSE_TITLE", "LICENSE_TEXT", "LICENSE_EULA",
    "LICENSE_DISCLAIMER", "WARNING_TITLE", "WARNING_SUBTITLE", "WARNING_TEXT", "OPTIONS_TITLE",
    "OPTIONS_CHECK_1", "OPTIONS_CHECK_2", "OPTIONS_CHECK_3", "CONFIGURATIONS_TITLE",
    "CONFIGURATIONS_SUBTITLE_1", "CONFIGURATIONS_TEXT_1", "CONFIGURATIONS_CHECK_1",
    "CONFIGURATIONS_CHECK_2", "CONFIGURATIONS_SUBTITLE_2", "CONFIGURATIONS_TEXT_2",
    "CONFIGURATIONS_CHECK_3", "CONFIGURATIONS_CHECK_4", "CONFIGURATIONS_CHECK_5",
    "BUTTON_NEXT", "BUTTON_AGREE", "BUTTON_BACK",
]

DLM_LOCALES = ["en_US", "es", "pt_BR", "pl", "cs", "da", "de", "fi", "fr", "it", "nl", "ru", "tr"]
ISV_LOCALES = ["en_US", "es"]

# Placeholders each page replaces itself; anywhere else they would be shown raw.
PLACEHOLDERS = {
    "PRODUCT_DISCLAIMER": {"PACKAGE_NAME", "PACKAGE_PRIVACY_URL", "PACKAGE_EULA_URL"},
    "LICENSE_DISCLAIMER": {"LICENSE_TOS_URL", "LICENSE_PRIVACY_URL"},
}

# Only SysLink controls render anchor markup.
SYSLINK_KEYS = {"PRODUCT_DISCLAIMER", "LICENSE_DISCLAIMER", "WARNING_TEXT"}

# Single-line captions in fixed-size controls (button 71 DLU, radios 64/81 DLU, check box 142 DLU).
MAX_LENGTH = {key: 18 for key in set(DLM_KEYS + ISV_KEYS) if key.startswith("BUTTON_")}
MAX_LENGTH.update({"LAUNCH_RADIO": 13, "OPEN_FOLDER_RADIO": 17, "LAUNCH_CHECKBOX": 32})

DECLARATION = '<?xml version="1.0" encoding="UTF-8"?>'
REFERENCE = re.compile(r"\{([^{}]*)\}")
PLACEHOLDER = re.compile(r"\[([A-Z0-9_]+)\]")
ANCHOR_TAG = re.compile(r'<a href="([^"<>]*)">|</a>|<')


class Fault(Exception):
    pass


def read_declared(path):
    data = path.read_bytes()
    if data.startswith(b"\xef\xbb\xbf"):
        raise Fault("starts with a byte order mark")
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as error:
        raise Fault(f"not UTF-8: {error}")
    if not text.startswith(DECLARATION):
        raise Fault(f"does not start with {DECLARATION}")
    return text


def element_texts(elements):
    """Returns [(key, value)] for top-level text elements, in document order."""
    entries = []
    for element in elements:
        if len(element):
            raise Fault(f"{element.tag}: holds child elements")
        entries.append((element.tag, element.text or ""))
    return entries


def parse_locale(path, locale_name):
    text = read_declared(path)
    try:
        root = ET.fromstring(text.encode("utf-8"))
    except ET.ParseError as error:
        raise Fault(f"does not parse: {error}")
    if root.tag != "Locale":
        raise Fault(f"root element is <{root.tag}>, expected <Locale>")
    if root.get("name") != locale_name:
        raise Fault(f'name attribute is "{root.get("name")}", expected "{locale_name}"')
    return element_texts(root)


def parse_fragment(path):
    """Parses a document whose top-level elements are the texts (no single root)."""
    text = read_declared(path)[len(DECLARATION):]
    try:
        root = ET.fromstring(f"<fragment>{text}</fragment>".encode("utf-8"))
    except ET.ParseError as error:
        raise Fault(f"does not parse: {error}")
    return element_texts(root)


def check_keys(entries, keys):
    found = [key for key, _ in entries]
    missing = [key for key in keys if key not in found]
    unknown = [key for key in found if key not in keys]
    duplicated = sorted({key for key in found if found.count(key) > 1})
    if missing or unknown or duplicated:
        raise Fault(f"missing {missing}, unknown {unknown}, duplicated {duplicated}")
    if found != keys:
        raise Fault("keys are not in the expected order")
    for key, value in entries:
        if not value.strip():
            raise Fault(f"{key}: empty value")
        if value != value.strip():
            raise Fault(f"{key}: leading or trailing white space")


def anchors(key, value):
    """Returns the hrefs of the value's anchors; faults on unbalanced or stray markup."""
    hrefs, open_href = [], None
    for match in ANCHOR_TAG.finditer(value):
        tag = match.group(0)
        if tag.startswith("<a "):
            if open_href is not None:
                raise Fault(f"{key}: nested anchor")
            open_href = match.group(1)
        elif tag == "</a>":
            if open_href is None:
                raise Fault(f"{key}: </a> without an opening anchor")
            hrefs.append(open_href)
            open_href = None
        else:
            raise Fault(f"{key}: stray '<' that is not anchor markup")
    if open_href is not None:
        raise Fault(f"{key}: anchor not closed")
    return sorted(hrefs)


def check_values(entries, resolvable):
    for key, value in entries:
        for name in REFERENCE.findall(value):
            if name not in resolvable:
                raise Fault(f"{key}: reference {{{name}}} names no key")
        unexpected = set(PLACEHOLDER.findall(value)) - PLACEHOLDERS.get(key, set())
        if unexpected:
            raise Fault(f"{key}: placeholders {sorted(unexpected)} are not replaced by its page")
        if anchors(key, value) and key not in SYSLINK_KEYS:
            raise Fault(f"{key}: anchor markup in a control that shows it raw")
        if "\n" in value.replace("\r\n", "") or "\r" in value.replace("\r\n", ""):
            raise Fault(f"{key}: line break other than CR LF")
        limit = MAX_LENGTH.get(key)
        if limit and len(value) > limit:
            raise Fault(f"{key}: {len(value)} characters, more than {limit} fit its control")


def signature(key, value):
    return (sorted(REFERENCE.findall(value)), sorted(PLACEHOLDER.findall(value)),
            anchors(key, value), value.count("\r\n"))


def check_translation(entries, english):
    reference = dict(english)
    for key, value in entries:
        theirs, ours = signature(key, value), signature(key, reference[key])
        for part, name in enumerate(["references", "placeholders", "anchor hrefs", "line breaks"]):
            if theirs[part] != ours[part]:
                raise Fault(f"{key}: {name} {theirs[part]} differ from English {ours[part]}")


def check_locale(path, locale, keys, english_path):
    entries = parse_locale(path, locale)
    check_keys(entries, keys)
    check_values(entries, set(keys) | {"PRODUCT_TITLE"})
    if path != english_path:
        try:
            english = parse_locale(english_path, "en_US")
            check_keys(english, keys)
        except Fault as fault:
            raise Fault(f"English document unusable: {fault}")
        check_translation(entries, english)


def check_locale_set(root, folder, keys, locales):
    english_path = root / "res/locale" / folder / "en_US.xml"
    for locale in locales:
        path = root / "res/locale" / folder / f"{locale}.xml"
        yield path, lambda path=path, locale=locale: check_locale(path, locale, keys, english_path)


def check_bt_extra(path):
    entries = parse_fragment(path)
    check_keys(entries, BT_KEYS)
    # These texts are merged into either kind of document, so references may
    # name keys that both kinds carry.
    shared = set(DLM_KEYS) & set(ISV_KEYS)
    check_values(entries, set(BT_KEYS) | shared | {"PRODUCT_TITLE"})


def check_empty(path):
    data = path.read_bytes()
    if not data or data.strip():
        raise Fault("must hold white space only")


def all_checks(root):
    yield from check_locale_set(root, "dlm", DLM_KEYS, DLM_LOCALES)
    yield from check_locale_set(root, "isv", ISV_KEYS, ISV_LOCALES)
    bt_extra = root / "res/locale/bt_extra.xml"
    yield bt_extra, lambda: check_bt_extra(bt_extra)
    empty = root / "res/locale/empty.xml"
    yield empty, lambda: check_empty(empty)


def main(argv):
    if len(argv) != 2:
        print(f"usage: {argv[0]} <repo root>", file=sys.stderr)
        return 2
    root = Path(argv[1])
    passed = failed = 0
    for path, check in all_checks(root):
        name = path.relative_to(root)
        try:
            if not path.is_file():
                raise Fault("file is missing")
            check()
        except Fault as fault:
            print(f"FAIL {name}: {fault}")
            failed += 1
        else:
            print(f"ok   {name}")
            passed += 1
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
