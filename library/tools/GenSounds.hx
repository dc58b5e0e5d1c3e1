import haxe.io.Bytes;
import haxe.io.BytesOutput;

/**
	Writes the sounds and music loops of the library as WAV files (16-bit mono PCM, 22050 Hz),
	one folder per movie: OUT/<movie>/clip.wav, which that movie embeds.

	Run with: haxe --cwd library/tools --run GenSounds OUT
**/
class GenSounds {
	static inline var RATE = 22050;

	static function main() {
		var args = Sys.args();
		if (args.length < 1) {
			Sys.println("usage: GenSounds OUTPUT_FOLDER");
			Sys.exit(2);
		}
		var out = args[0];
		var seed = 12345;
		var noise = function() {
			seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF;
			return (seed / 0x7FFFFFFF) * 2 - 1;
		};
		write(out, "sndclick", click(noise));
		write(out, "sndding", ding());
		write(out, "sndpop", pop());
		write(out, "sndwhoosh", whoosh(noise));
		write(out, "mcpads", pads());
		write(out, "mcbeat", beat(noise));
	}

	static function samples(seconds:Float):Array<Float>
		return [for (_ in 0...Math.round(seconds * RATE)) 0.0];

	static function click(noise:Void->Float):Array<Float> {
		var s = samples(0.06);
		for (i in 0...s.length) {
			var t = i / RATE;
			s[i] = (0.6 * Math.sin(2 * Math.PI * 1800 * t) + 0.4 * noise()) * Math.exp(-t * 90);
		}
		return s;
	}

	static function ding():Array<Float> {
		var s = samples(1.1);
		for (i in 0...s.length) {
			var t = i / RATE;
			var env = Math.exp(-t * 3.5) * Math.min(1, t * 400);
			s[i] = env * (0.6 * Math.sin(2 * Math.PI * 1318.5 * t) + 0.25 * Math.sin(2 * Math.PI * 2637 * t) + 0.15 * Math.sin(2 * Math.PI * 3955.5 * t));
		}
		return s;
	}

	static function pop():Array<Float> {
		var s = samples(0.12);
		var phase = 0.0;
		for (i in 0...s.length) {
			var t = i / RATE;
			var f = 900 * Math.exp(-t * 25) + 150;
			phase += 2 * Math.PI * f / RATE;
			s[i] = Math.sin(phase) * Math.exp(-t * 30) * Math.min(1, t * 800);
		}
		return s;
	}

	static function whoosh(noise:Void->Float):Array<Float> {
		var s = samples(0.6);
		var low = 0.0;
		for (i in 0...s.length) {
			var t = i / s.length;
			var cut = 0.02 + 0.25 * Math.sin(Math.PI * t);
			low += (noise() - low) * cut;
			s[i] = low * 2.2 * Math.sin(Math.PI * t);
		}
		return s;
	}

	/** Four bars of soft chords, C - Am - F - G, that loop without a seam. **/
	static function pads():Array<Float> {
		var chords = [[261.63, 329.63, 392.0], [220.0, 261.63, 329.63], [174.61, 220.0, 261.63], [196.0, 246.94, 293.66]];
		var bar = 2.0;
		var s = samples(bar * chords.length);
		for (i in 0...s.length) {
			var t = i / RATE;
			var k = Std.int(t / bar);
			var local = t - k * bar;
			var env = Math.min(1, local / 0.35) * Math.min(1, (bar - local) / 0.35);
			var v = 0.0;
			for (f in chords[k]) {
				v += Math.sin(2 * Math.PI * f * t) + 0.3 * Math.sin(2 * Math.PI * f * 2 * t) * (0.5 + 0.5 * Math.sin(2 * Math.PI * 0.5 * t));
			}
			var bass = Math.sin(2 * Math.PI * chords[k][0] / 2 * t);
			s[i] = 0.17 * env * v + 0.2 * env * bass;
		}
		return s;
	}

	/** Two bars at 120 beats a minute: kick, hi-hat and a bouncing bass line. **/
	static function beat(noise:Void->Float):Array<Float> {
		var beatLen = 0.5;
		var s = samples(beatLen * 8);
		var bassNotes = [65.41, 65.41, 98.0, 87.31, 65.41, 77.78, 98.0, 116.54];
		for (i in 0...s.length) {
			var t = i / RATE;
			var b = Std.int(t / beatLen);
			var lt = t - b * beatLen;
			var kick = Math.sin(2 * Math.PI * (50 + 100 * Math.exp(-lt * 30)) * lt) * Math.exp(-lt * 9);
			var half = lt >= beatLen / 2 ? lt - beatLen / 2 : lt;
			var hat = noise() * Math.exp(-half * 60) * 0.25;
			var f = bassNotes[b];
			var ph = (f * t) % 1.0;
			var bass = (ph < 0.5 ? 1 : -1) * 0.18 * Math.exp(-lt * 4) + Math.sin(2 * Math.PI * f * t) * 0.2;
			var lead = Math.sin(2 * Math.PI * f * 4 * t) * 0.08 * Math.exp(-half * 8);
			s[i] = 0.7 * kick + hat + bass + lead;
		}
		return s;
	}

	static function write(out:String, movie:String, s:Array<Float>) {
		var peak = 0.0;
		for (v in s)
			peak = Math.max(peak, Math.abs(v));
		var gain = peak > 0 ? 0.85 / peak : 1;
		var data = new BytesOutput();
		for (v in s) {
			var x = Math.round(v * gain * 32767);
			data.writeInt16(x < -32768 ? -32768 : (x > 32767 ? 32767 : x));
		}
		var pcm = data.getBytes();
		var o = new BytesOutput();
		o.writeString("RIFF");
		o.writeInt32(36 + pcm.length);
		o.writeString("WAVEfmt ");
		o.writeInt32(16);
		o.writeUInt16(1); // PCM
		o.writeUInt16(1); // mono
		o.writeInt32(RATE);
		o.writeInt32(RATE * 2);
		o.writeUInt16(2);
		o.writeUInt16(16);
		o.writeString("data");
		o.writeInt32(pcm.length);
		o.write(pcm);
		var dir = out + "/" + movie;
		sys.FileSystem.createDirectory(dir);
		sys.io.File.saveBytes(dir + "/clip.wav", o.getBytes());
	}
}
