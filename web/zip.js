// A store-only ZIP archive (no compression) with CRC-32, enough to hand all
// outputs of a run over in one download. Names are UTF-8 (flag bit 11); the
// time stamp is fixed so that the same files give the same archive.
"use strict";

const trpfitZip = (() => {
  const crcTable = new Uint32Array(256);
  for (let n = 0; n < 256; n++) {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    crcTable[n] = c >>> 0;
  }

  function crc32(bytes) {
    let c = 0xffffffff;
    for (let i = 0; i < bytes.length; i++) c = crcTable[(c ^ bytes[i]) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
  }

  // 1 January 2026, 00:00, in MS-DOS date and time.
  const dosTime = 0;
  const dosDate = ((2026 - 1980) << 9) | (1 << 5) | 1;

  // files: [{name, bytes}] with bytes a Uint8Array (a string is taken as UTF-8).
  // Returns the archive as a Uint8Array.
  function zip(files) {
    const enc = new TextEncoder();
    const entries = files.map((f) => {
      const bytes = typeof f.bytes === "string" ? enc.encode(f.bytes) : f.bytes;
      return { name: enc.encode(f.name), bytes, crc: crc32(bytes) };
    });
    let size = 22;
    for (const e of entries) size += 30 + e.name.length + e.bytes.length + 46 + e.name.length;
    const out = new Uint8Array(size);
    const view = new DataView(out.buffer);
    let at = 0;
    const u16 = (v) => { view.setUint16(at, v, true); at += 2; };
    const u32 = (v) => { view.setUint32(at, v >>> 0, true); at += 4; };
    const put = (b) => { out.set(b, at); at += b.length; };
    for (const e of entries) {
      e.offset = at;
      u32(0x04034b50); u16(20); u16(0x0800); u16(0); u16(dosTime); u16(dosDate);
      u32(e.crc); u32(e.bytes.length); u32(e.bytes.length); u16(e.name.length); u16(0);
      put(e.name); put(e.bytes);
    }
    const central = at;
    for (const e of entries) {
      u32(0x02014b50); u16(20); u16(20); u16(0x0800); u16(0); u16(dosTime); u16(dosDate);
      u32(e.crc); u32(e.bytes.length); u32(e.bytes.length); u16(e.name.length);
      u16(0); u16(0); u16(0); u16(0); u32(0); u32(e.offset);
      put(e.name);
    }
    const centralSize = at - central;
    u32(0x06054b50); u16(0); u16(0); u16(entries.length); u16(entries.length);
    u32(centralSize); u32(central); u16(0);
    return out;
  }

  // Reads a store-only archive back (for the tests): [{name, bytes}], or
  // throws when an entry is compressed or its CRC-32 does not match.
  function unzip(archive) {
    const view = new DataView(archive.buffer, archive.byteOffset, archive.byteLength);
    const dec = new TextDecoder();
    const files = [];
    let at = 0;
    while (at + 4 <= archive.length && view.getUint32(at, true) === 0x04034b50) {
      const method = view.getUint16(at + 8, true);
      const crc = view.getUint32(at + 14, true);
      const size = view.getUint32(at + 18, true);
      const nameLength = view.getUint16(at + 26, true);
      const extra = view.getUint16(at + 28, true);
      if (method !== 0) throw new Error("compressed entry");
      const name = dec.decode(archive.subarray(at + 30, at + 30 + nameLength));
      const start = at + 30 + nameLength + extra;
      const bytes = archive.slice(start, start + size);
      if (crc32(bytes) !== crc) throw new Error("CRC-32 of " + name + " does not match");
      files.push({ name, bytes });
      at = start + size;
    }
    return files;
  }

  return { zip, unzip, crc32 };
})();
