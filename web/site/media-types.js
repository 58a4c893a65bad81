// The one table of media types the pages give the browser, by the format
// name the core gives (lower case) or a file's extension.
export const MEDIA_TYPES = {
  jpg: 'image/jpeg', jpeg: 'image/jpeg', gif: 'image/gif', bmp: 'image/bmp', png: 'image/png',
  wav: 'audio/wav', mp3: 'audio/mpeg', avi: 'video/x-msvideo', mpg: 'video/mpeg', mpeg: 'video/mpeg',
  wmv: 'video/x-ms-wmv',
};

export function mediaType(format) {
  return MEDIA_TYPES[String(format).toLowerCase()] || 'application/octet-stream';
}
